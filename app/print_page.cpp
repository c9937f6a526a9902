#include "main_window.h"

// Placeholder until printing lands.
void TQVMainForm::PrintButtClick(QObject*) {}
