#include "jvm/JniErrors.h"

#include "resources/resource.h"

unsigned jniReasonMessageId(int code) {
    switch (code) {
    case -1: return IDS_JNI_REASON_ERR;
    case -2: return IDS_JNI_REASON_EDETACHED;
    case -3: return IDS_JNI_REASON_EVERSION;
    case -4: return IDS_JNI_REASON_ENOMEM;
    case -5: return IDS_JNI_REASON_EEXIST;
    case -6: return IDS_JNI_REASON_EINVAL;
    default: return 0;
    }
}
