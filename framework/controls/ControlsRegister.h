// Makes the standard controls known to form files.
#pragma once

namespace fw {

/// Registers the standard controls (and the window layer's classes); calling it again
/// does nothing more.
void RegisterControlsClasses();

}  // namespace fw
