// Texts that exist in English and Russian, picked at the moment they are shown.
#pragma once

#include <QString>

namespace qarn {

struct BiText {
    const char* en;
    const char* ru;
    QString pick(bool english) const { return QString::fromUtf8(english ? en : ru); }
};

namespace msg {
inline constexpr BiText kNoFile{"No file or file is bad", "Нет файла или файл поврежден"};
inline constexpr BiText kCannotPlay{"Error!Cann't play file", "Ошибка!Не могу проиграть файл"};
inline constexpr BiText kCannotSaveSettings{"Error of saving settings",
                                            "Не могу сохранить настройки"};
inline constexpr BiText kPlayCaption{"&Play", "&Играть"};
inline constexpr BiText kPauseCaption{"&Pause", "&Пауза"};
inline constexpr BiText kShowNotesCaption{"Show &notes", "Показать &заметки"};
inline constexpr BiText kHideNotesCaption{"Hide &notes", "Спрятать &заметки"};
inline constexpr BiText kShowCalcCaption{"Show &calc", "Показать &калькулятор"};
inline constexpr BiText kHideCalcCaption{"Hide &calc", "Спрятать &калькулятор"};
inline constexpr BiText kMinimizeCaption{"&Minimize", "&Свернуть"};
inline constexpr BiText kRestoreCaption{"&Restore", "&Востановить"};
} // namespace msg

} // namespace qarn
