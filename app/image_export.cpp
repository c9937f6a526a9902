#include "main_window.h"

// Placeholder until image export lands.
void TQVMainForm::Save2Click(QObject*) {}
