#pragma once
// Texts of the update package open dialog (CP1251).
namespace plugin {

// "Обновления для 9 версии|*.Ov9"
inline constexpr char SPackageFilter[] =
    "\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xFF \xE4\xEB\xFF 9 \xE2\xE5\xF0\xF1\xE8\xE8|*.Ov9";
inline constexpr char SPackageExt[] = "Ov9";

}  // namespace plugin
