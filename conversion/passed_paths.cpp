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
    // As the converter reads it, it names this file and no other.
    bool Exact(const std::wstring& path) const { return Carried(path) && common::KeptByPathRules(path); }

    // The path itself, else its short form.
    std::optional<std::wstring> Passable(const std::wstring& path) const {
        if (Exact(path)) return path;
        std::wstring shortPath = seams_.ShortPath(path);
        if (!shortPath.empty() && Exact(shortPath)) return shortPath;
        return std::nullopt;
    }

    // A reserved plain name for `of` in the output folder, else in the temporary folder.
    bool TemporaryFile(const std::wstring& of, std::wstring& path, PassedCall& passed) {
        if (!folderLooked_) {
            folderLooked_ = true;
            folder_ = Passable(common::FolderOfPath(real_.destination));
            beside_ = folder_.has_value();
            const std::wstring temporary = folder_ ? std::wstring() : seams_.TemporaryFolder();
            if (!temporary.empty()) folder_ = Passable(temporary);
        }
        if (!folder_) {
            passed.refusal = L"the converter cannot be given this file's path in the system's code page";
            return false;
        }
        const TemporaryName name = ReserveTemporary(seams_, *folder_, PlainExtension(common::FileNameOfPath(of)));
        if (!name.failure.empty())
            passed.refusal = L"no temporary file could be made for the converter: " + name.failure;
        path = name.path;
        return name.failure.empty();
    }
    bool Beside() const { return beside_; }

private:
    const ConverterCall& real_;
    PathSeams& seams_;
    bool folderLooked_ = false, beside_ = false;
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

TemporaryName ReserveTemporary(PathSeams& seams, const std::wstring& folder, const std::wstring& extension) {
    for (int i = 0; i < kNameTries; ++i) {
        std::wstring path = common::JoinPath(folder, L"~kq" + common::HexDigits(seams.TemporaryNumber()) + extension);
        const PathSeams::Reservation reservation = seams.Reserve(path);
        if (reservation.result == PathSeams::Reserved::Made) return {std::move(path), {}};
        if (reservation.result == PathSeams::Reserved::Failed) return {{}, reservation.failure};
    }
    return {{}, L"every name tried was taken"};
}

PassedCall PassCall(const ConverterCall& real, PathSeams& seams) {
    Chooser chooser(real, seams);
    PassedCall passed{real, {}, {}, false, {}, {}};
    const auto alias = [&passed](std::wstring& path, const std::wstring& with) {
        passed.aliases.emplace_back(with, path);
        path = with;
    };
    // Started by its real path, the converter needs no form of it that the
    // code page carries: only its argv[0] does, and its name alone will do.
    const std::wstring program = chooser.Passable(real.program).value_or(common::FileNameOfPath(real.program));
    if (program != real.program) {
        passed.call.application = real.program;
        alias(passed.call.program, program);
    }
    if (const std::optional<std::wstring> source = chooser.Passable(real.source)) {
        if (*source != real.source) alias(passed.call.source, *source);
    } else {
        if (!chooser.TemporaryFile(real.source, passed.sourceCopy, passed)) return passed;
        alias(passed.call.source, passed.sourceCopy);
    }
    // A destination that does not exist yet has no short name: it is always
    // written under another one. Its own name Windows writes as it likes ("a." as "a").
    if (!chooser.Carried(real.destination) || !common::KeptByPathRules(common::FolderOfPath(real.destination))) {
        if (!chooser.TemporaryFile(real.destination, passed.temporaryDestination, passed)) return passed;
        passed.temporaryBeside = chooser.Beside();
        alias(passed.call.destination, passed.temporaryDestination);
    }
    return passed;
}

}  // namespace conversion
