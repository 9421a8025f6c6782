// The off-screen backend on OSMesa: GL surfaces without a display, for tests,
// snapshots and benchmarks.
namespace plat::headless {}
