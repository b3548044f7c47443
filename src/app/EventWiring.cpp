#include "app/frmMain.h"

void frmMain::ConnectEvents() {}
bool frmMain::eventFilter(QObject* w, QEvent* e) { return QWidget::eventFilter(w, e); }
