#include "net/notices.h"

#include <cstdio>

namespace vantrel::net {

std::string printableName(const std::string& name) {
    std::string out;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out += "\\\\";
        } else if (byte >= 0x20 && byte < 0x7f) {
            out += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        }
    }
    return out;
}

std::string noticeText(const Notice& n) {
    const std::string who = printableName(n.name);
    switch (n.kind) {
        case NoticeKind::Joined:
            return who + " JOINED";
        case NoticeKind::Rejoined:
            return who + " IS BACK";
        case NoticeKind::Left:
            return who + " LEFT: THE COMPUTER FLIES THEIR AIRCRAFT";
        case NoticeKind::Dropped:
            return who + " DROPPED: THE COMPUTER FLIES THEIR AIRCRAFT";
        case NoticeKind::Returned:
            return who + " FLIES AGAIN";
        case NoticeKind::NowHost:
            return who + " NOW PICKS THE MISSION";
        case NoticeKind::NoRoom:
            return "NO ROOM ON THAT SIDE IN THIS MISSION";
        case NoticeKind::NotHost:
            return "ONLY THE HOST PICKS AND STARTS THE MISSION";
        case NoticeKind::Watching:
            return who + " WATCHES: NO FREE AIRCRAFT ON THEIR SIDE";
        case NoticeKind::Away:
            return who + " IS AWAY: THE COMPUTER FLIES THEIR AIRCRAFT";
    }
    return {};
}

}  // namespace vantrel::net
