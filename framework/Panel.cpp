#include "framework/Panel.h"

TPanel::TPanel(TComponent* Owner) : TWinControl(Owner) {}
