#include "app/MDIForm_Main.h"

// The unattended run (-auto): login, conversion, reconciliation, plug-in, end. Called by
// Form_Load as its last step when AutoLauf is set; the run itself is added with the unattended
// mode. Until then -auto only starts the program with its switches applied.
void MDIForm_Main::Autolauf() {}
