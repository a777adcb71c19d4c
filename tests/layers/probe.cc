// One include, named by the build (PROBE_HEADER): compiles exactly when the
// probe's library may see that header.
#include PROBE_HEADER
