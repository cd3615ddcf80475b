// The about box: the icon, the version line and the cipher line, closed by
// OK, Esc or the close box.
#pragma once

#include <arkseal/ui/qt/dialog.h>

namespace arkseal {

class CAboutDlg : public Dialog {
public:
    CAboutDlg();
};

}  // namespace arkseal
