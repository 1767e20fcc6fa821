#include "framework/Dialogs.h"

#include <algorithm>

std::vector<TMessageBoxButton> MessageBoxButtons(UINT Flags) {
  switch (Flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case MB_YESNOCANCEL:
      return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default:
      return {{IDOK, "OK"}};
  }
}

int MessageBoxDefaultAnswer(UINT Flags) {
  const auto buttons = MessageBoxButtons(Flags);
  const auto index = static_cast<std::size_t>((Flags & MB_DEFMASK) >> 8);
  return index < buttons.size() ? buttons[index].Id : buttons.front().Id;
}

int MessageBoxEscapeAnswer(UINT Flags) {
  if (MessageBoxOffers(Flags, IDCANCEL)) return IDCANCEL;
  const auto buttons = MessageBoxButtons(Flags);
  return buttons.size() == 1 ? buttons.front().Id : 0;
}

int MessageBoxClosedAnswer(UINT Flags) {
  if (const int escape = MessageBoxEscapeAnswer(Flags); escape != 0) return escape;
  if (MessageBoxOffers(Flags, IDNO)) return IDNO;
  return MessageBoxOffers(Flags, IDABORT) ? IDABORT : MessageBoxDefaultAnswer(Flags);
}

bool MessageBoxOffers(UINT Flags, int Answer) {
  const auto buttons = MessageBoxButtons(Flags);
  return std::any_of(buttons.begin(), buttons.end(),
                     [Answer](const TMessageBoxButton& b) { return b.Id == Answer; });
}
