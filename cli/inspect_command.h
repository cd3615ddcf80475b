// arkseal-cli inspect FILE...: what each file looks like to the checks made
// before a job, and what encrypt and decrypt would say of it. It reads the
// files' first bytes only and changes nothing.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace arkseal {

// Writes the report to standard output; with a passphrase, also what the
// heads decrypt to and the passphrase's strength. The exit status: 0, or 1
// when a file could not be read.
int RunInspect(const std::vector<std::string>& files, std::optional<std::string_view> passphrase);

}  // namespace arkseal
