#include "app/about_dlg.h"

#include "app/resource_ids.h"

namespace arkseal {

CAboutDlg::CAboutDlg() : Dialog(IDD_ABOUTBOX) {}

}  // namespace arkseal
