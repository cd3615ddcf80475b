// Keeps what is typed into password fields away from accessibility clients
// (inside the layer only). Qt's line edit announces every change of its
// text to them, the characters of a password field included: an AT-SPI
// client of the session would receive a passphrase as it is typed. Once
// ProtectPasswordFields has run, such announcements go out with each
// character replaced by '*': screen readers still hear that a character
// was typed or removed, and where, never which. The field keeps its name,
// role and password state; its accessible text and value are masked by Qt
// already.
#pragma once

namespace arkseal {

// Idempotent; the first call takes over Qt's accessibility update handler
// and hands every event on to the one installed before it, or to the
// platform's accessibility bridge when there was none.
void ProtectPasswordFields();

}  // namespace arkseal
