// Holds the precompiled header (QtTest, QtWidgets) that every test suite
// reuses; the header is compiled once, for this file, and shared.
