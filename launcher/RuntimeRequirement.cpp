#include "launcher/RuntimeRequirement.h"

#include "resources/resource.h"

ComposedText requirementSentence(const JavaVersion& minimum, const JavaVersion& maximum) {
    const bool hasMinimum = !minimum.isUnset();
    const bool hasMaximum = !maximum.isUnset();
    if (!hasMinimum && !hasMaximum) return {IDS_REQUIRE_LATEST, {}};
    if (!hasMinimum) return {IDS_REQUIRE_MAXIMUM, {maximum.format()}};
    if (!hasMaximum) return {IDS_REQUIRE_MINIMUM, {minimum.format()}};
    // "Minimum Version=1.8" and "Maximum Version=1.8" differ in their open
    // parts (1.8.0.0 and 1.8.65535.65535) yet name the same version.
    if (minimum.format() == maximum.format()) return {IDS_REQUIRE_EXACT, {minimum.format()}};
    return {IDS_REQUIRE_RANGE, {minimum.format(), maximum.format()}};
}

unsigned runtimeNotFoundMessageId(int jvmType) {
    return jvmType == 1 ? IDS_JRE_NOT_FOUND_SERVER : IDS_JRE_NOT_FOUND;
}
