// Compiled only to make the precompiled headers the benchmark programs share.
