// Placeholder until the hard-disk install lands.
#include "app/handover.h"

namespace kh::hd {
void runInstall(AppState&) {}
void runRestore(AppState&) {}
}  // namespace kh::hd
