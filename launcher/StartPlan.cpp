#include "launcher/StartPlan.h"

#include "util/CommandLine.h"
#include "util/Paths.h"

namespace {

RuntimeRequest runtimeRequestOf(const LauncherSettings& settings, const StartFacts& facts,
                                const std::wstring& workingFolder) {
    RuntimeRequest request;
    // A relative stored folder means one below the working folder, the
    // executable's own when the configuration moves there.
    request.jrePath = settings.jrePath;
    if (!request.jrePath.empty() && !workingFolder.empty())
        request.jrePath = absolutePathFrom(request.jrePath, workingFolder);
    request.executableFolder = folderOf(facts.executablePath);
    request.jvmType = settings.jvmType;
    request.pairProductConfigured = !settings.pairProduct.empty();
    return request;
}

bool namesThisExecutable(const std::wstring& program, const StartFacts& facts) {
    if (isSamePath(program, facts.executablePath)) return true;
    return facts.sameFile && facts.sameFile(program, facts.executablePath);
}

JavaStartFacts javaFactsOf(const StartFacts& facts, const RuntimeChoice& runtime,
                           const std::wstring& workingFolder) {
    JavaStartFacts java;
    java.jvmPath = runtime.jvmPath;
    java.keepMainThreadAlive = keepsMainThreadAlive(runtime);
    java.executablePath = facts.executablePath;
    java.workingFolder = workingFolder;
    java.memory = facts.memory;
    java.arguments = facts.arguments;
    java.environment = facts.environment;
    java.list = facts.list;
    return java;
}

}  // namespace

StartPlan planStart(const LauncherSettings& settings, const StartFacts& facts) {
    StartPlan plan;
    // A later start needs no runtime of its own.
    if (facts.instanceRole == InstanceRole::later) {
        plan.route = StartRoute::laterStart;
        return plan;
    }
    if (settings.overrideWorkingDir) plan.workingFolder = workingFolderOf(facts.executablePath);
    const std::wstring workingFolder = plan.workingFolder.empty() ? facts.currentFolder : plan.workingFolder;

    const RuntimeRequest request = runtimeRequestOf(settings, facts, workingFolder);
    if (!facts.pickedJvmPath.empty()) {
        plan.runtime.jvmPath = facts.pickedJvmPath;
        plan.runtime.source = RuntimeSource::user;
        applyBitnessRule(plan.runtime, request.pairProductConfigured, facts.probes);
    } else if (auto choice = chooseRuntime(request, facts.probes)) {
        plan.runtime = *choice;
    } else {
        plan.route = StartRoute::askUser;
        return plan;
    }

    if (plan.runtime.handOverToPair) {
        // A relative name means the sibling beside this executable: a tool
        // run from a script's folder, or an application opened through a
        // document elsewhere, must still find it.
        plan.pair.program = absolutePathFrom(settings.pairProduct, workingFolderOf(facts.executablePath));
        plan.pair.waitForExit = settings.pairReturnCode;
        // Either would start processes without end.
        if (namesThisExecutable(plan.pair.program, facts)) {
            plan.route = StartRoute::refuse;
            plan.refusal = StartRefusal::pairProductIsThisExecutable;
        } else if (!facts.handedOverBy.empty()) {
            plan.route = StartRoute::refuse;
            plan.refusal = StartRefusal::pairProductHandsBack;
        } else {
            plan.route = StartRoute::handOver;
        }
        return plan;
    }

    plan.route = StartRoute::startJava;
    if (!asksForNoSplash(facts.arguments)) {
        plan.splash.image = settings.display.splashImage;
        plan.splash.shadow = settings.display.splashShadow;
        plan.splash.preferNative = settings.display.preferNativeSplash;
    }
    plan.java = planJavaStart(settings.java, javaFactsOf(facts, plan.runtime, workingFolder));
    return plan;
}

std::vector<std::wstring> describeStartPlan(const StartPlan& plan) {
    std::vector<std::wstring> lines;
    switch (plan.route) {
    case StartRoute::laterStart:
        lines.push_back(L"single instance: a later start, the arguments went to the first one");
        return lines;
    case StartRoute::askUser:
        lines.push_back(L"runtime: none found; the user is asked");
        return lines;
    default:
        break;
    }
    if (!plan.workingFolder.empty()) lines.push_back(L"working folder " + plan.workingFolder);
    lines.push_back(L"runtime: " + plan.runtime.jvmPath + L", from " + runtimeSourceName(plan.runtime.source));
    switch (plan.route) {
    case StartRoute::refuse:
        lines.push_back(plan.refusal == StartRefusal::pairProductIsThisExecutable
                            ? L"pair product " + plan.pair.program + L": this executable itself; refused"
                            : L"pair product " + plan.pair.program +
                                  L": this start was handed over already; refused");
        return lines;
    case StartRoute::handOver:
        lines.push_back(L"bitness: the runtime is not for this process; the pair product starts it");
        lines.push_back(L"pair product " + plan.pair.program +
                        (plan.pair.waitForExit ? L", its exit code is passed on" : L", not waited for"));
        return lines;
    default:
        break;
    }
    lines.push_back(L"bitness: the runtime is loaded in this process");
    for (const EnvironmentChange& change : plan.java.environment)
        lines.push_back(L"environment " + change.name + L"=" + change.value);
    for (const std::wstring& option : plan.java.options) lines.push_back(L"vm option " + option);
    if (plan.java.classPathMissing) lines.push_back(L"class path: empty");
    if (plan.java.threadStackSize != 0)
        lines.push_back(L"java main thread stack " + std::to_wstring(plan.java.threadStackSize));
    if (!plan.java.streams.outputFile.empty()) lines.push_back(L"System.out to " + plan.java.streams.outputFile);
    if (!plan.java.streams.errorFile.empty()) lines.push_back(L"System.err to " + plan.java.streams.errorFile);
    lines.push_back(L"main class " + plan.java.main.mainClass);
    for (const std::wstring& argument : plan.java.main.arguments) lines.push_back(L"argument " + argument);
    if (!plan.splash.image.empty())
        lines.push_back(L"splash " + plan.splash.image + (plan.splash.preferNative ? L", the runtime's own first" : L""));
    return lines;
}
