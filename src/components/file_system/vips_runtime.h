// libvips, started once per process.
//
// Every user of libvips in the server (the file information reader, the
// thumbnail engine, tests and benchmarks that write images) calls
// StartVips() before its first libvips call. The first call initialises the
// library; later calls answer what the first one did. libvips is never shut
// down: its worker threads live as long as the process.
#pragma once

namespace albumcore::file_system {

// True when libvips is usable; a failure is logged to stderr once.
bool StartVips();

}  // namespace albumcore::file_system
