#include <arkseal/app/arkseal_app.h>

#include <arkseal/app/arkseal_dlg.h>
#include <arkseal/app/resources.h>

namespace arkseal {

CArksealApp::CArksealApp() : Application(kArksealResources) {}

bool CArksealApp::InitInstance() {
    CArksealDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return false;
}

}  // namespace arkseal
