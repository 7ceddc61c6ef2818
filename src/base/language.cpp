#include "base/language.h"

#include "base/ini_file.h"
#include "base/program_dir.h"

#include <QFileInfo>

namespace vx
{
namespace
{

inline constexpr const char* language_file = "vorlan.lng";

struct BuiltIn {
    const char* key;
    const char* text; // UTF-8; backslash-r and backslash-n are line breaks
};

// The built-in Slovak texts; every other entry starts empty.
constexpr BuiltIn builtin_texts[] = {
    {"MESS1", "Nie je možné otvoriť COM port\\rNastavte správny COMPORT v MENU Služby - nastavenia programu"},
    {"MESS2",
     "Čas/Dátum zapisovača sa nezhoduje s týmto PC\\nNastavte čas prístroja v MENU: Služby->Nastaviť čas"},
    {"MESS3", "Prístroj nekomunikuje, prekontrolujte pripojenie, nastavte správny COM port"},
    {"MESS5", "Pripojte prístroj/zapisovač na COMport"},
    {"MESS6",
     "Nie je možné preniesť záznamy\\n-prístroj má chybu v ukazovateli záznamov\\nPoužite ŠTART misie"},
    {"MESS7", "Maximálne je možné preniesť"},
    {"MESS8", "záznamov"},
    {"MESS9", "Nie je možné nájsť adresár LOG, kam budú ukladané súbory databázy\\nnastavte v Menu "
              "Služby->nastavenia"},
    {"MESS10",
     "POZOR tento zapisovač bol pripojený prvýkrát na tot PC\\nnie je možné zistiť koľko nových záznamov je "
     "v zapisovači\\npri nasledujúcom pripojení to bude vyriešené,zapisujem si prístroj do databázy"},
    {"MESS11", "V zapisovači nie sú žiadne Nové záznamy\\nmôžete preniesť staršie záznamy v Menu: "
               "Služby->Preniesť záznamy"},
    {"MESS14", "Želáte si nastaviť dátum a čas zapisovača podľa Vašeho PC?"},
    {"MESS15", "Komunikácia"},
    {"MESS16", "Preniesť záznamy z prístroja"},
    {"MESS17", "Zadajte počet najnovších záznamov"},
    {"MESS18", "V zapisovači sú nové záznamy\\npočet je: "},
    {"MESS19", "\\nŽeláte si ich teraz preniesť ?\\n\\nzáznamy môžete kedykoľvek preniesť tlačidlom F5"},
    {"MESS20", "Neexistuje súbor tipov <VNTIP.TIP>"},
    {"MESS21", "Nespravny údaj: Perióda"},
    {"MESS22", "Neprípustný znak v názve"},
    {"MESS23", "Nedovolená hodnota <Zápis pri zmene>"},
    {"MESS24", "Nie je možné tak odložiť štart"},
    {"MESS25", "Nastavujem ukazovatel..."},
    {"MESS26", "Max pocet zázanmov,pretečenie"},
    {"MESS27", "Nulujem Ptr..."},
    {"MESS28", "Zapisovač nepotvrdil príjatie\\nOpakujte"},
    {"MESS29", "Odosielam odklad startu..."},
    {"MESS30", "Odosielam názov misie..."},
    {"MESS31", "Databáza s týmto názvom misie už existuje\\nStlačte ANO ak chcete údaje v databáze "
               "prepísať\\nStlačte NIE ak chcete nové údaje pridať"},
    {"MESS32",
     "---- POZOR ----\\nOdštartovaním misie\\nZMAŽETE údaje v zapisovači\\n\\nŽeláte si pokračovať ??"},
    {"MESS33", "Odosielam Misiu zapnúť..."},
    {"MESS34", "Odosielam príznak rolovanie..."},
    {"MESS35", "Odosielam údaj perioda..."},
    {"MESS36", "Odosielam údaj gradient..."},
    {"MESS37", "Žiadam čas zapisovača..."},
    {"MESS38", "Overené"},
    {"MESS40", "neexistuje súbor <muster.htm> \\nPreinštalujte program\\n-alebo kontaktujte dodávateľa"},
    {"MESS41", "Zmenili ste údaje\\nŽeláte si ich zapísať do súboru?"},
    {"MESS42", "Servis..."},
    {"MESS43", "Enter password"},
    {"MESS44", "Serial number"},
    {"MESS45", "Komunikácia"},
    {"MESS46", "&Zrušiť"},
    {"HINT100", "<Posuvanie Grafu> Ctrl+Lavé tlačidlo myši\\n<Zvačšovanie> Shift + ľavé tlačidlo\\n<Návrat "
                "na celý graf> Ctrl + klik"},
    {"MESS100", "VORLAN LCD Mibra"},
    {"MESS101", "Zapisovač teploty\\nLCD zobrazovač\\nDigital snímač DS1820\\nZáznamov: 10400"},
    {"MESS102", "LCD Analog zapisovač"},
    {"MESS103", "Zapisovač teploty\\n-LCD zobrazovač\\n-Analog snímač Pt1000,NI1000,NI2000\\n-Záznamov "
                "10400\\nHI/LO Podmienky zápisu"},
    {"MESS104", "VORLAN Olvek"},
    {"MESS105",
     "Zapisovač teploty\\n-digital snímač zabudovaný alebo externý\\nBEZ Zobrazovača\\nZáznamov 10400"},
    {"MESS106", "VORLAN Zelin"},
    {"MESS107", "Teplota/vlhkosť\\nsnímač teploty DS182x\\nSnímač vlhkosti PHILIPS\\nZáznamov:000"},
    {"MESS108", "Zapisovač prietoku"},
    {"MESS109", "Reed contact input\\nRecords: 10400"},
    {"MESS110", "TEMNIRA Corvy"},
    {"MESS111",
     "Zapisovač teploty\\n-digital snímač zabudovaný alebo externý\\nBEZ Zobrazovača\\nZáznamov 10400"},
    {"MESS112", "TEMNIRA Belsa"},
    {"MESS113", "Zapisovač PRUD:0..20mA \\n+ Impulzny REED contact vstup\\nBEZ Zobrazovača\\nZáznamov 8000"},
    {"MESS160", "Uložiť priebeh ako CSV"},
    {"MESS161", "Priebeh sa nepodarilo uložiť"},
};

// Splits a key such as "MESS28" into its field and entry number.
QString* field_of(TLanguage& e, const QString& prefix)
{
    if (prefix == "CAPT") return &e.capt;
    if (prefix == "HINT") return &e.hint;
    if (prefix == "LABEL") return &e.label;
    if (prefix == "MENU") return &e.menu;
    if (prefix == "MESS") return &e.mess;
    return nullptr;
}

std::pair<QString, int> split_key(const QString& key)
{
    qsizetype i = 0;
    while (i < key.size() && !key[i].isDigit())
        ++i;
    bool ok = false;
    const int n = key.mid(i).toInt(&ok);
    return {key.left(i), ok ? n : -1};
}

} // namespace

QString unescape_text(const QString& text)
{
    QString out = text;
    for (qsizetype i = 0; i + 1 < out.size(); ++i) {
        if (out[i] == '\\' && (out[i + 1] == 'r' || out[i + 1] == 'n')) {
            out[i] = QChar('\r');
            out[i + 1] = QChar('\n');
            ++i;
        }
    }
    return out;
}

QString builtin_text(const QString& key)
{
    for (const BuiltIn& b : builtin_texts)
        if (key == QLatin1String(b.key)) return unescape_text(QString::fromUtf8(b.text));
    return {};
}

void Language::build_language_tables(const QString& program_dir, const QString& section,
                                     const QString& data_dir)
{
    table.fill(TLanguage{});
    for (const BuiltIn& b : builtin_texts) {
        const auto [prefix, n] = split_key(QString::fromLatin1(b.key));
        if (n < 1 || n > 200) continue;
        if (QString* f = field_of(table[n], prefix)) *f = unescape_text(QString::fromUtf8(b.text));
    }

    language_loaded = false;
    const auto ini = IniFile::load(find_shipped_file(language_file, program_dir, data_dir));
    if (!ini || !ini->has_section(section)) return;

    language_loaded = true;
    // A text in double quotes keeps the blanks at its ends ("Typ: ").
    const auto text = [&](const QString& key, const QString& missing) {
        const QString v = ini->read_string(section, key, missing);
        return v.size() >= 2 && v.startsWith('"') && v.endsWith('"') ? v.mid(1, v.size() - 2) : v;
    };
    for (int n = 1; n <= 200; ++n) {
        const QString num = QString::number(n);
        TLanguage& e = table[n];
        e.capt = text("CAPT" + num, "CAP" + num);
        e.label = text("LABEL" + num, "LABEL" + num);
        e.hint = unescape_text(text("HINT" + num, "HINT" + num));
        e.mess = unescape_text(text("MESS" + num, "MESS" + num));
        e.menu = text("MENU" + num, "MENU" + num);
    }
}

QString Language::capt(int n) const
{
    return n >= 1 && n <= 200 ? table[n].capt : QString();
}

QString Language::hint(int n) const
{
    return n >= 1 && n <= 200 ? table[n].hint : QString();
}

QString Language::label(int n) const
{
    return n >= 1 && n <= 200 ? table[n].label : QString();
}

QString Language::menu(int n) const
{
    return n >= 1 && n <= 200 ? table[n].menu : QString();
}

QString Language::mess(int n) const
{
    return n >= 1 && n <= 200 ? table[n].mess : QString();
}

} // namespace vx
