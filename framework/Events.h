// Event types shared by the framework's classes. An event is a std::function the program
// assigns (form1->OnClick = [this](TObject* Sender) { FormClick(Sender); }); an empty one is
// not called.
#pragma once

#include <functional>

#include "framework/Object.h"

// A plain event: Sender is the object that raised it.
using TNotifyEvent = std::function<void(TObject* Sender)>;
