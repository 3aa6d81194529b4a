// A DLL that a test plants beside the test program, as a stranger's file in a Downloads folder.
extern "C" __declspec(dllexport) int Planted() { return 1; }
