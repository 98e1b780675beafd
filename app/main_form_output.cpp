// Saving and printing the picture on display. Not offered yet: the commands
// change nothing.
#include "app/main_form.h"

namespace dusk::app {

void TMainForm::SaveAs1Click() {}
void TMainForm::Print1Click() {}
void TMainForm::PrintSetup1Click() {}

}  // namespace dusk::app
