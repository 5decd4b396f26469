// The source that the test programs' precompiled header is compiled with.
