// Built into the test programs of the skinned controls: allocations the GTK
// stack keeps for the whole process are not leaks of ours. The same list as
// lsan.supp, which the launcher gets through LSAN_OPTIONS.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libpango\nleak:libgtk-3.so\nleak:libgdk-3.so\nleak:libglib-2.0.so\n"
         "leak:libgobject-2.0.so\nleak:libcairo.so\nleak:libharfbuzz.so\nleak:libX11.so\n";
}
#endif
