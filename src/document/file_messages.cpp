#include "document/file_messages.h"

#include <algorithm>
#include <filesystem>
#include <grp.h>
#include <pwd.h>
#include <system_error>
#include <vector>

namespace rowbit {

namespace {

// The characters of a UTF-8 text, each with its width in columns.
struct Piece {
    std::string text;
    std::size_t columns;
};

std::vector<Piece> pieces(const std::string& utf8) {
    std::vector<Piece> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        std::size_t len = lead < 0x80    ? 1
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                          : lead >= 0xC0 ? 2
                                         : 1;
        len = std::min(len, utf8.size() - i);
        out.push_back({utf8.substr(i, len), lead < 0x80 ? 1u : 2u});
        i += len;
    }
    return out;
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(std::filesystem::path(path), ec);
}

// Why a file could not be read, as the middle of the sentence.
const char* openReason(ErrorCode code) {
    switch (code) {
    case ErrorCode::Unsupported:
        return "지원하지 않는 형식이라";
    case ErrorCode::Encrypted:
        return "암호가 걸려 있어";
    case ErrorCode::Damaged:
        return "손상되어";
    case ErrorCode::Limit:
        return "너무 커서";
    case ErrorCode::NotFound:
    case ErrorCode::Io:
    case ErrorCode::Invalid:
    case ErrorCode::Conflict:
        break;
    }
    return "권한이 없거나 다른 프로그램이 쓰고 있어";
}

// The path as the sentence shows it: shortened, and with no "|", which would start a new line.
std::string shownPath(const std::string& path) {
    std::string shown = elidedPath(path);
    for (std::size_t at = shown.find('|'); at != std::string::npos; at = shown.find('|', at))
        shown.replace(at, 1, "¦");
    return shown;
}

std::string details(const std::string& path, const Error& error) {
    return path + "\n" + error.describe();
}

} // namespace

std::string elidedPath(const std::string& path, std::size_t columns) {
    const std::vector<Piece> all = pieces(path);
    std::size_t total = 0;
    for (const Piece& p : all)
        total += p.columns;
    if (total <= columns || columns < 8)
        return path;
    // The end carries the file name: it gets half the room, more for a long name (up to two
    // thirds); the start takes the rest.
    const std::size_t room = columns - 2; // "…" takes two columns
    std::size_t nameColumns = 0;
    for (auto it = all.rbegin(); it != all.rend() && it->text != "/" && it->text != "\\"; ++it)
        nameColumns += it->columns;
    const std::size_t tailRoom = std::max(room / 2, std::min(nameColumns + 1, room * 2 / 3));
    std::string head, tail;
    std::size_t used = 0;
    for (auto it = all.rbegin(); it != all.rend() && used + it->columns <= tailRoom; ++it) {
        tail.insert(0, it->text);
        used += it->columns;
    }
    const std::size_t headRoom = room - used;
    used = 0;
    for (const Piece& p : all) {
        if (used + p.columns > headRoom)
            break;
        head += p.text;
        used += p.columns;
    }
    return head + "…" + tail;
}

MessageRequest openFailedMessage(const std::string& path, const Error& error) {
    const std::string shown = shownPath(path);
    const std::string what = isFolder(path) ? shown + " 폴더는 파일이 아니어서"
                                            : shown + " 파일은 " + openReason(error.code);
    MessageRequest request;
    request.text = what + " 열 수 없으므로 새 파일로 시작하니, 저장할 때 파일 이름을 정하세요.";
    request.details = details(path, error);
    return request;
}

MessageRequest saveFailedMessage(const std::string& path, const Error& error) {
    const char* why = "쓰는 중에 문제가 생겨";
    const char* todo = "다시 저장해 보세요";
    if (error.code == ErrorCode::Io || error.code == ErrorCode::NotFound) {
        why = "권한이 없거나 다른 프로그램이 쓰고 있어";
        todo = "원인을 없앤 뒤 다시 저장하세요";
    } else if (error.code == ErrorCode::Conflict) {
        why = "다른 프로그램이 저장하는 중이라";
        todo = "잠시 뒤에 다시 저장하세요";
    } else if (error.code == ErrorCode::Limit) {
        why = "데이터 시트에 자리가 모자라";
        todo = "자료를 줄인 뒤 다시 저장하세요";
    }
    MessageRequest request;
    request.text = shownPath(path) + " 파일은 " + why +
                   " 저장하지 못했지만 변경내용은 그대로 있으니, " + todo + ".";
    request.details = details(path, error);
    return request;
}

namespace {

// "nobody:nogroup", or the numbers where the system knows no names.
std::string ownerName(std::uint32_t uid, std::uint32_t gid) {
    std::string user = std::to_string(uid);
    std::string group = std::to_string(gid);
    std::vector<char> buffer(16384);
    struct passwd pw {};
    struct passwd* foundUser = nullptr;
    if (::getpwuid_r(uid, &pw, buffer.data(), buffer.size(), &foundUser) == 0 && foundUser)
        user = foundUser->pw_name;
    struct group gr {};
    struct group* foundGroup = nullptr;
    if (::getgrgid_r(gid, &gr, buffer.data(), buffer.size(), &foundGroup) == 0 && foundGroup)
        group = foundGroup->gr_name;
    return user + ":" + group;
}

} // namespace

MessageRequest changedFileQuestion(const std::string& path, const Error& error) {
    MessageRequest request;
    request.text = shownPath(path) +
                   " 파일은 불러온 뒤에 다른 곳에서 바뀌어서 덮어쓰면 그 변경내용이 없어지니, "
                   "다른 이름으로 저장할지 덮어쓸지 고르세요.";
    request.caption = "저장";
    request.buttons = kChangedFileButtons;
    request.icon = PromptIcon::Warning;
    request.defaultButton = 1;
    request.details = details(path, error);
    return request;
}

MessageRequest changedFileRefusedMessage(const std::string& path, const Error& error) {
    MessageRequest request;
    request.text = shownPath(path) +
                   " 파일은 불러온 뒤에 다른 곳에서 바뀌어서 아무것도 저장하지 않았으니, "
                   "다시 불러와서 고친 뒤 저장하세요.";
    request.details = details(path, error);
    return request;
}

MessageRequest ownerChangedMessage(const std::string& path, const SavedFile& saved) {
    MessageRequest request;
    request.text = shownPath(path) + " 파일은 저장했지만 소유자를 그대로 둘 권한이 없어 " +
                   ownerName(saved.ownerBefore, saved.groupBefore) + "에서 " +
                   ownerName(saved.ownerAfter, saved.groupAfter) +
                   "(으)로 바뀌었으니, 원래 소유자가 열 수 있는지 확인하세요.";
    request.details = path;
    return request;
}

MessageRequest versionNotKeptMessage(const std::string& path, const KeepOutcome& kept) {
    const char* why = "문제가 생겨";
    const char* todo = "자세한 내용을 확인하세요";
    switch (kept.problem) {
    case VersionProblem::NoSpace:
        why = "디스크 공간이 모자라";
        todo = "공간을 비워 두세요";
        break;
    case VersionProblem::NotWritable:
        why = "버전 보관 폴더에 쓸 수 없어";
        todo = "폴더의 권한을 확인하세요";
        break;
    case VersionProblem::TooLarge:
        why = "파일이 버전 보관 한도보다 커서";
        todo = "필요하면 직접 복사해 두세요";
        break;
    case VersionProblem::None:
    case VersionProblem::Failed:
        break;
    }
    MessageRequest request;
    request.text = shownPath(path) + " 파일은 저장했지만 " + why +
                   " 저장하기 전의 파일을 이전 버전으로 보관하지 못했으니, " + todo + ".";
    request.details = kept.error ? details(path, *kept.error) : path;
    return request;
}

} // namespace rowbit
