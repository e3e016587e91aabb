#include "jvm/StreamFiles_win.h"

#include "jvm/DatePattern_win.h"
#include "util/FileSystem_win.h"

void prepareStreamFiles(StreamTargets& targets) {
    expandDatePatterns(targets);
    if (!targets.outputFile.empty()) createFoldersForFile(targets.outputFile);
    if (!targets.errorFile.empty()) createFoldersForFile(targets.errorFile);
    if (targets.outputFile.empty() || targets.errorFile.empty()) return;
    // An error file that does not exist once the output file does is another file.
    targets.outputIdentity = fileIdentityOf(targets.outputFile, true);
    targets.errorIdentity = fileIdentityOf(targets.errorFile, false);
}
