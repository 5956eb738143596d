// Giac keeps its symbol tables, caches and big-number temporaries for the life of the process
// and never gives them back. Linked into every program and test that runs Giac, so that
// LeakSanitizer looks past them however the program is started (test listing included).

extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libgiac\n"
           "leak:__gmp_default_allocate\n"
           "leak:__gmp_default_reallocate\n";
}
