// Compiled against one library at a time by the Layers tests, which pass only when it does not
// build: the header named by PROBE_HEADER must be out of that library's sight.
#include PROBE_HEADER
