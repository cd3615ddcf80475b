#include <arkseal/app/about_dlg.h>

#include <arkseal/app/resource_ids.h>

namespace arkseal {

CAboutDlg::CAboutDlg() : Dialog(IDD_ABOUTBOX) {}

}  // namespace arkseal
