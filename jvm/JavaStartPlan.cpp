#include "jvm/JavaStartPlan.h"

#include "jvm/RuntimeEnvironment.h"
#include "util/CommandLine.h"
#include "util/Paths.h"
#include "util/TextSplit.h"

namespace {

bool sameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'a' && x <= L'z') x = static_cast<wchar_t>(x - L'a' + L'A');
        if (y >= L'a' && y <= L'z') y = static_cast<wchar_t>(y - L'a' + L'A');
        if (x != y) return false;
    }
    return true;
}

std::wstring outputPath(const std::wstring& configured, const JavaStartFacts& facts,
                        const EnvironmentLookup& environment) {
    if (configured.empty()) return configured;
    return absolutePathFrom(expandEnvironmentReferences(configured, environment), facts.workingFolder);
}

}  // namespace

JavaStartPlan planJavaStart(const JavaStartSettings& settings, const JavaStartFacts& facts) {
    JavaStartPlan plan;
    // References see the process's environment as the plan changes it: the
    // runtime's variables are set before anything configured is expanded.
    const EnvironmentLookup environment = [&plan, &facts](const std::wstring& name) {
        for (auto change = plan.environment.rbegin(); change != plan.environment.rend(); ++change)
            if (sameName(change->name, name)) return std::optional<std::wstring>(change->value);
        return facts.environment ? facts.environment(name) : std::nullopt;
    };
    const std::wstring currentPath = environment(L"Path").value_or(std::wstring());
    auto expand = [&environment](const std::wstring& text) {
        return expandEnvironmentReferences(text, environment);
    };

    plan.environment.push_back({L"LQ_JVM_PATH", facts.jvmPath});
    plan.environment.push_back({L"LQ_JVM_HOME", runtimeHomeOf(facts.jvmPath)});
    if (!settings.libraryPath.empty()) {
        plan.options.push_back(L"-Djava.library.path=" +
                               composeLibraryPath(expand(settings.libraryPath), folderOf(facts.executablePath),
                                                  currentPath, facts.jvmPath));
    }
    plan.environment.push_back(
        {L"Path", composeProcessPath(expand(settings.systemPath), currentPath, facts.jvmPath)});

    plan.main.mainClass = settings.mainClass;
    plan.main.arguments = facts.arguments;
    plan.main.failureCheck = settings.failureCheck;
    plan.main.keepThreadAlive = facts.keepMainThreadAlive;
    plan.destroyAfterMain = settings.isService;

    std::wstring launcherFolder = folderOf(facts.executablePath);
    if (!launcherFolder.empty()) launcherFolder.pop_back();
    std::wstring classPath = composeClassPath(
        splitAtSeparator(settings.classPath, L";"), launcherFolder,
        [&expand](std::wstring& entry) { entry = expand(entry); }, facts.list);
    if (settings.embeddedJar && !facts.executablePath.empty())
        classPath = facts.executablePath + L";" + classPath;
    if (classPath.empty()) {
        plan.classPathMissing = true;
        return plan;
    }
    plan.options.push_back(L"-Djava.class.path=" + classPath);

    // Sizes are computed before references are expanded, so that a relative
    // size never sees the text of a variable.
    std::vector<std::wstring> parameters;
    for (const std::wstring& parameter : splitVmParameters(settings.vmParameters))
        addVmParameter(parameter, facts.memory, plan.threadStackSize, parameters);
    for (const std::wstring& parameter : parameters) plan.options.push_back(expand(parameter));

    plan.streams.outputFile = outputPath(settings.outputFile, facts, environment);
    plan.streams.outputAppend = settings.outputAppend;
    plan.streams.errorFile = outputPath(settings.errorFile, facts, environment);
    plan.streams.errorAppend = settings.errorAppend;

    if (!settings.cmd.empty()) {
        for (std::wstring& piece : splitCommandLine(expand(settings.cmd)))
            if (!piece.empty()) plan.main.arguments.push_back(std::move(piece));
    }
    return plan;
}

bool sharesOneFile(const StreamTargets& targets) {
    if (targets.outputFile.empty() || targets.errorFile.empty()) return false;
    if (targets.outputIdentity && targets.errorIdentity) return *targets.outputIdentity == *targets.errorIdentity;
    return isSamePath(targets.outputFile, targets.errorFile);
}

std::wstring processPathOf(const JavaStartPlan& plan) {
    for (auto change = plan.environment.rbegin(); change != plan.environment.rend(); ++change)
        if (sameName(change->name, L"Path")) return change->value;
    return std::wstring();
}
