// The shared library is made of orvi_impl; CMake needs one source of its own.
