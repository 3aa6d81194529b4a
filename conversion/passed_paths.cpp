#include "conversion/passed_paths.h"

#include "common/message_text.h"
#include "common/paths.h"

namespace conversion {
namespace {

// A folder full of names that happen to be taken is no reason to try for ever.
constexpr int kNameTries = 100;

// A temporary name keeps the extension it stands for, where that is plain ASCII.
std::wstring PlainExtension(const std::wstring& name) {
    const auto dot = name.rfind(L'.');
    if (dot == std::wstring::npos || dot + 1 == name.size()) return {};
    for (std::size_t i = dot + 1; i < name.size(); ++i)
        if (name[i] <= L' ' || name[i] > L'~') return {};
    return name.substr(dot);
}

class Chooser {
public:
    Chooser(const ConverterCall& real, PathSeams& seams) : real_(real), seams_(seams) {}

    bool Carried(const std::wstring& path) const { return seams_.ConverterCodePage().Encode(path).has_value(); }

    // The path itself, else its short form.
    std::optional<std::wstring> Passable(const std::wstring& path) const {
        if (Carried(path)) return path;
        std::wstring shortPath = seams_.ShortPath(path);
        if (!shortPath.empty() && Carried(shortPath)) return shortPath;
        return std::nullopt;
    }

    // An unused plain name for `of` in the output folder, else in the temporary folder.
    std::optional<std::wstring> TemporaryFile(const std::wstring& of) {
        if (!folderLooked_) {
            folderLooked_ = true;
            folder_ = Passable(common::FolderOfPath(real_.destination));
            const std::wstring temporary = folder_ ? std::wstring() : seams_.TemporaryFolder();
            if (!temporary.empty()) folder_ = Passable(temporary);
        }
        if (!folder_) return std::nullopt;
        const std::wstring extension = PlainExtension(common::FileNameOfPath(of));
        for (int i = 0; i < kNameTries; ++i) {
            std::wstring path =
                common::JoinPath(*folder_, L"~kq" + common::HexDigits(seams_.TemporaryNumber()) + extension);
            if (seams_.PathPresence(path) == common::Presence::Absent) return path;
        }
        return std::nullopt;
    }

private:
    const ConverterCall& real_;
    PathSeams& seams_;
    bool folderLooked_ = false;
    std::optional<std::wstring> folder_;
};

}  // namespace

std::wstring PassedCall::Unaliased(std::wstring text) const {
    const auto replace = [&text](const std::wstring& from, const std::wstring& to) {
        if (from.empty() || from == to) return;
        for (auto at = text.find(from); at != std::wstring::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    };
    for (const auto& [alias, real] : aliases) replace(alias, real);
    for (const auto& [alias, real] : aliases) replace(common::FileNameOfPath(alias), common::FileNameOfPath(real));
    return text;
}

std::optional<PassedCall> PassCall(const ConverterCall& real, PathSeams& seams) {
    Chooser chooser(real, seams);
    PassedCall passed{real, {}, {}, {}};
    const auto alias = [&passed](std::wstring& path, const std::wstring& with) {
        passed.aliases.emplace_back(with, path);
        path = with;
    };
    const std::optional<std::wstring> program = chooser.Passable(real.program);
    if (!program) return std::nullopt;
    if (*program != real.program) alias(passed.call.program, *program);

    if (const std::optional<std::wstring> source = chooser.Passable(real.source)) {
        if (*source != real.source) alias(passed.call.source, *source);
    } else {
        const std::optional<std::wstring> copy = chooser.TemporaryFile(real.source);
        if (!copy) return std::nullopt;
        passed.sourceCopy = *copy;
        alias(passed.call.source, *copy);
    }
    // A destination that does not exist yet has no short name: it is always written under another one.
    if (!chooser.Carried(real.destination)) {
        const std::optional<std::wstring> temporary = chooser.TemporaryFile(real.destination);
        if (!temporary) return std::nullopt;
        passed.temporaryDestination = *temporary;
        alias(passed.call.destination, *temporary);
    }
    return passed;
}

}  // namespace conversion
