// The version of both programs, in their version resources. Setup compares TOVRADE.EXE's with the one
// already in the Windows folder and never replaces a newer one, so raise it with every release.
#define PRODUCT_VERSION_NUMBERS 1, 1, 0, 0
#define PRODUCT_VERSION_TEXT "1.1.0.0\0"
