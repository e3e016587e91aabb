#pragma once

#include "jvm/JavaStartPlan.h"

// Readies the stream files right before the streams are redirected: puts the
// current time into names with a date pattern, creates the folders leading to
// them, and, when both streams have a file, learns which files the names
// open, so that one file under two names is opened once. The output file is
// created for that when missing, as the runtime would a moment later; the
// error file is only looked at.
void prepareStreamFiles(StreamTargets& targets);
