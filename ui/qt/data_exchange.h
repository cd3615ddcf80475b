// Data exchange between a dialog's controls and its members: a dialog's
// DoDataExchange lists its bindings once, and UpdateData runs them in the
// direction asked for.
#pragma once

#include <string>

#include <arkseal/ui/qt/controls.h>

namespace arkseal {

class Dialog;

class DataExchange {
public:
    DataExchange(Dialog& dialog, bool saveAndValidate) : dialog(dialog), saveAndValidate(saveAndValidate) {}

    Dialog& dialog;
    const bool saveAndValidate;  // true: controls -> members; false: members -> controls
};

// Binds the control object to the dialog's control with the id.
void BindControl(DataExchange& dx, int id, Control& control);

// Exchanges an edit's text with the 8-bit string and limits what the user
// can enter to maxChars characters of the 8-bit encoding (bytes); an edit
// refused for its length sends EN_MAXTEXT.
void ExchangeText(DataExchange& dx, int id, std::string& value, int maxChars);

}  // namespace arkseal
