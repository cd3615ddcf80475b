// Message maps: a static table per window class from a message, or from a
// control's notification, to the member function that handles it. A window
// looks its messages up in its own class's table first, then in the tables
// of its bases; what none of them holds goes to the default procedure.
//
//   const MessageMap* CMyDlg::GetMessageMap() const {
//       static const MessageMapEntry entries[] = {
//           OnMessage<&CMyDlg::OnTimerTick>(WM_TIMER),
//           OnCommand<&CMyDlg::OnGo>(IDC_GO),
//       };
//       static const MessageMap map{Dialog::GetMessageMap(), entries};
//       return &map;
//   }
#pragma once

#include <span>

#include <arkseal/ui/core/messages.h>

namespace arkseal {

class Window;

using MessageHandler = LRESULT (*)(Window& window, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    unsigned message;
    int controlId;        // WM_COMMAND only
    unsigned notifyCode;  // WM_COMMAND only
    MessageHandler handler;
};

struct MessageMap {
    const MessageMap* base;
    std::span<const MessageMapEntry> entries;
};

namespace message_map_detail {
template <class T, class R, class... A>
T ClassOf(R (T::*)(A...));
}  // namespace message_map_detail

// A message handled by LRESULT T::Member(WPARAM, LPARAM).
template <auto Member>
MessageMapEntry OnMessage(unsigned message) {
    using T = decltype(message_map_detail::ClassOf(Member));
    return {message, 0, 0, [](Window& w, WPARAM wParam, LPARAM lParam) -> LRESULT {
                return (static_cast<T&>(w).*Member)(wParam, lParam);
            }};
}

// A control notification (by default a button click) handled by void T::Member().
template <auto Member>
MessageMapEntry OnCommand(int controlId, unsigned notifyCode = BN_CLICKED) {
    using T = decltype(message_map_detail::ClassOf(Member));
    return {WM_COMMAND, controlId, notifyCode, [](Window& w, WPARAM, LPARAM) -> LRESULT {
                (static_cast<T&>(w).*Member)();
                return 0;
            }};
}

}  // namespace arkseal
