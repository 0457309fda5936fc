// LeakSanitizer's suppressions for the unit tests of the sanitized build. GDAL's virtual file
// system makes its handlers once per process and, in a test process that reads vector files
// through OGR, leaves them behind at exit; its stacks hold no frame of ours below GDAL's entry
// point, so they are matched by GDAL's library. The program itself runs in the end-to-end tests
// with only the graphics libraries suppressed.
extern "C" const char* __lsan_default_suppressions();

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgdal.so\n";
}
