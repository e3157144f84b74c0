// The settings file as an XML property list, through Qt's XML stream classes.
// Python's plistlib and the platform's own readers accept what we write.
#include "files/files.h"

#include "platform/platform.h"

#include <cstdio>

#include <QByteArray>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

// XML 1.0 cannot carry most control characters at all, escaped or not:
// they are dropped so that every plist reader accepts the file.
QString Printable(const std::string& s)
{
    QString q = QString::fromUtf8(s.data(), qsizetype(s.size()));
    QString out;
    out.reserve(q.size());
    for (QChar c : q)
        if (c.unicode() >= 0x20 || c == u'\t' || c == u'\n' || c == u'\r')
            if (c.unicode() != 0xFFFE && c.unicode() != 0xFFFF)
                out.append(c);
    return out;
}

// Reads the <dict> the reader stands in; keeps string values, skips others.
bool ReadDict(QXmlStreamReader& x, TSettingsDict* out)
{
    QString key;
    bool haveKey = false;
    while (x.readNextStartElement()) {
        const auto name = x.name();
        if (name == u"key") {
            key = x.readElementText();
            haveKey = true;
            continue;
        }
        if (haveKey && name == u"string")
            (*out)[key.toStdString()] = x.readElementText().toStdString();
        else
            x.skipCurrentElement();  // a value of another kind, or one without a key
        haveKey = false;
    }
    return !x.hasError();
}

}  // namespace

bool Settings_ParsePlist(const std::vector<uint8_t>& xml, TSettingsDict* out)
{
    QXmlStreamReader x(QByteArray::fromRawData(reinterpret_cast<const char*>(xml.data()), qsizetype(xml.size())));
    if (!x.readNextStartElement() || x.name() != u"plist")
        return false;
    if (!x.readNextStartElement() || x.name() != u"dict")
        return false;
    TSettingsDict d;
    if (!ReadDict(x, &d))
        return false;
    // Nothing but the end may follow the dictionary.
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement())
            return false;
    }
    if (x.hasError())
        return false;
    *out = std::move(d);
    return true;
}

std::vector<uint8_t> Settings_MakePlist(const TSettingsDict& d)
{
    QByteArray bytes;
    QXmlStreamWriter w(&bytes);
    w.setAutoFormatting(true);
    w.setAutoFormattingIndent(-1);  // one tab
    w.writeStartDocument();
    w.writeDTD(QStringLiteral("<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                              "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">"));
    w.writeStartElement(QStringLiteral("plist"));
    w.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    w.writeStartElement(QStringLiteral("dict"));
    for (const auto& [key, value] : d) {
        w.writeTextElement(QStringLiteral("key"), Printable(key));
        w.writeTextElement(QStringLiteral("string"), Printable(value));
    }
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// ---- The settings file ----------------------------------------------------------------

bool Settings_Read()
{
    Settings_Default();
    std::vector<uint8_t> bytes;
    TSettingsDict d;
    if (!FileExists(FileNames.sSettings))
        return false;
    if (!ReadWholeFile(FileNames.sSettings, kMaxSettingsBytes, &bytes) || !Settings_ParsePlist(bytes, &d)) {
        // One mistyped tag must not cost the recent files and every option
        // without a word: the file is kept aside (one copy, the latest) before
        // the defaults are ever written over it, and the player is told.
        const std::string target = ResolveLinks(FileNames.sSettings);
        const std::string broken = target + ".broken";
        if (::rename(target.c_str(), broken.c_str()) == 0) {
            SyncFolderOf(broken);
            Platform().Log("settings file unreadable, kept as " + broken + "; defaults used");
            Platform().ShowMessage(LangFormat(CaretMesFormat("MS_SettingsBroken"), {FileNameOf(broken)}));
        } else {
            Platform().Log("settings file unreadable and cannot be kept aside: " + FileNames.sSettings);
        }
        return false;
    }
    Settings_ApplyDict(d);
    if (LangP.sCurLang != "english")
        ReadLangFile(LangMesFile(LangP.sCurLang));
    LastFiles_Update("");
    return true;
}

bool Settings_Write()
{
    std::string error;
    if (WriteFileAtomically(FileNames.sSettings, Settings_MakePlist(Settings_ToDict()), &error))
        return true;
    Platform().Log("cannot write the settings: " + error);
    return false;
}
