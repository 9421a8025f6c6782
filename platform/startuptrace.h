// Where start-up time goes: with KIRU_TRACE_FIRST_FRAME set, each step until the
// first frame is presented writes one line to stderr, "kiru: <step> at <epoch
// seconds> after <ms> ms of CPU time", the same shape as the first frame's own
// line, so that tools/bench-startup can tell the steps apart. Silent otherwise.
#pragma once

namespace plat {

void TraceStartup(const char* step);
// Called by the frame once the first frame is drawn and swapped: the trace ends there.
void EndStartupTrace();
// Called by a surface when it has presented its first picture (a compositor that
// paces the frames may take a later one than the first drawn): the line the
// benchmarks time, once per process, whether or not the trace has ended.
void TraceFirstPresent();
// With KIRU_TRACE_VIEWS set, each layout of the views writes "kiru: <count> views
// laid out" to stderr: how the tests see that a monitor that went took its view.
void TraceViews(int count);

}  // namespace plat
