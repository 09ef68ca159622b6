// A loadable library without server entry points, for the tests of missing exports.
extern "C" __attribute__((visibility("default"))) int lumoTestNotAServer() { return 42; }
