#include "util/Trace.h"

void setTraceWriter(TraceWriter writer) {
    traceWriter() = writer;
}
