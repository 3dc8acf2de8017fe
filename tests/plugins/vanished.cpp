// A library that missingdep.so needs and that is never installed beside it.

extern "C" __attribute__((visibility("default"))) int VanishedAnswer() {
    return 42;
}
