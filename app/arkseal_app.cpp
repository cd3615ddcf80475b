#include "app/arkseal_app.h"

#include "app/arkseal_dlg.h"
#include "app/resources.h"

namespace arkseal {

CArksealApp::CArksealApp() : Application(kArksealResources) {}

bool CArksealApp::InitInstance() {
    CArksealDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return false;
}

}  // namespace arkseal
