#include "TempDlg.h"

void TempDlg::closeButtonPressed()
{
    setVisible (false);
}
