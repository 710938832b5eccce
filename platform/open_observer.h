// Inside the platform layer: the readers tell the observer of ObserveOpens what they open.
#pragma once

#include <string>

namespace tanmira::platform {

// Passes path to the observer set by ObserveOpens, if any.
void NoteOpen(const std::string& path);

}  // namespace tanmira::platform
