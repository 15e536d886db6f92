#include "MessageCost.h"

#include <array>

#include "core/DatabaseSchema.h"
#include "core/DbRoutines.h"

namespace {

// Septets a UTF-16 unit takes in the GSM 7-bit alphabet, 0 for none.
constexpr std::array<unsigned char, 256> Latin1Septets = [] {
    std::array<unsigned char, 256> table{};
    for (char16_t c = 0x20; c < 0x7F; ++c)
        table[c] = 1;
    table[u'`'] = 0;
    for (char16_t c : {u'\n', u'\r', u'£', u'¥', u'è', u'é', u'ù', u'ì', u'ò', u'Ç', u'Ø',
                       u'ø',  u'Å',  u'å', u'Æ', u'æ', u'ß', u'É', u'¤', u'¡', u'Ä', u'Ö',
                       u'Ñ',  u'Ü',  u'§', u'¿', u'ä', u'ö', u'ñ', u'ü', u'à'})
        table[c] = 1;
    for (char16_t c : {u'\f', u'^', u'{', u'}', u'\\', u'[', u'~', u']', u'|'})
        table[c] = 2;
    return table;
}();

inline int Septets(char16_t c) {
    if (c < Latin1Septets.size())
        return Latin1Septets[c];
    switch (c) {
    case u'Δ':
    case u'Φ':
    case u'Γ':
    case u'Λ':
    case u'Ω':
    case u'Π':
    case u'Ψ':
    case u'Σ':
    case u'Θ':
    case u'Ξ':
        return 1;
    case u'€':
        return 2;
    default:
        return 0;
    }
}

constexpr int Gsm7Single = 160;
constexpr int Gsm7Part = 153;
constexpr int Ucs2Single = 70;
constexpr int Ucs2Part = 67;

// Parts of at most `part` for a long message, no character split: `width`
// gives each unit's share (a character's second unit gives 0, its first
// the whole), and the suffix's characters take one each.
template <typename Width> int PackedParts(QStringView text, int suffix, int part, Width width) {
    int parts = 1;
    int used = 0;
    auto place = [&](int w) {
        if (used + w > part) {
            ++parts;
            used = 0;
        }
        used += w;
    };
    for (qsizetype i = 0; i < text.size(); ++i)
        place(width(text, i));
    for (int i = 0; i < suffix; ++i)
        place(1);
    return parts;
}

inline int Ucs2Width(QStringView text, qsizetype i) {
    const QChar c = text[i];
    if (c.isHighSurrogate())
        return i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
    if (c.isLowSurrogate())
        return i > 0 && text[i - 1].isHighSurrogate() ? 0 : 1;
    return 1;
}

bool HasSurrogate(QStringView text) {
    for (const QChar c : text) {
        if (c.isSurrogate())
            return true;
    }
    return false;
}

// Septets of the whole text, or -1 when a unit is outside the alphabet.
int SeptetLength(QStringView text) {
    int septets = 0;
    for (const QChar c : text) {
        const int s = Septets(c.unicode());
        if (s == 0)
            return -1;
        septets += s;
    }
    return septets;
}

struct Replacement {
    char16_t character;
    const char16_t* with;
};

constexpr Replacement Replacements[] = {
    {u'₺', u"TL"}, {u'â', u"a"},   {u'î', u"i"},      {u'û', u"u"},  {u'Â', u"A"},  {u'Î', u"I"},
    {u'Û', u"U"},  {u'’', u"'"},   {u'‘', u"'"},      {u'“', u"\""}, {u'”', u"\""}, {u'–', u"-"},
    {u'—', u"-"},  {u'…', u"..."}, {u'\u00A0', u" "}, {u'`', u"'"},
};

const char16_t* ReplacementOf(char16_t c) {
    for (const Replacement& r : Replacements) {
        if (r.character == c)
            return r.with;
    }
    return nullptr;
}

} // namespace

int SmsParts(QStringView cleaned, int operatorSuffix) {
    const int suffix = qMax(0, operatorSuffix);
    // A unit is at most two septets: what fits one UCS-2 SMS fits one GSM
    // SMS too. Most messages are that short and need no look inside.
    if (cleaned.size() + suffix <= Ucs2Single)
        return 1;
    const int septets = SeptetLength(cleaned);
    if (septets >= 0) {
        if (septets + suffix <= Gsm7Single)
            return 1;
        // Without an escape pair no part ends short.
        if (septets == cleaned.size())
            return (septets + suffix + Gsm7Part - 1) / Gsm7Part;
        return PackedParts(cleaned, suffix, Gsm7Part,
                           [](QStringView t, qsizetype i) { return Septets(t[i].unicode()); });
    }
    // Likewise without a surrogate.
    if (!HasSurrogate(cleaned))
        return static_cast<int>((cleaned.size() + suffix + Ucs2Part - 1) / Ucs2Part);
    return PackedParts(cleaned, suffix, Ucs2Part, Ucs2Width);
}

MessageCost CostOfMessage(QStringView cleaned, int operatorSuffix) {
    MessageCost cost;
    const int suffix = qMax(0, operatorSuffix);
    const int septets = SeptetLength(cleaned);
    cost.encoding = septets >= 0 ? SmsEncoding::Gsm7 : SmsEncoding::Ucs2;
    cost.length = (septets >= 0 ? septets : static_cast<int>(cleaned.size())) + suffix;
    cost.parts = SmsParts(cleaned, suffix);
    for (qsizetype i = 0; i < cleaned.size(); ++i) {
        const char16_t c = cleaned[i].unicode();
        const int width = cost.encoding == SmsEncoding::Gsm7 ? Septets(c) : Ucs2Width(cleaned, i);
        const bool dear = cost.encoding == SmsEncoding::Gsm7 ? width == 2 : Septets(c) == 0;
        if (!dear || width == 0)
            continue;
        const QString character =
            cleaned.mid(i, cost.encoding == SmsEncoding::Ucs2 ? width : 1).toString();
        bool seen = false;
        for (const CostlyCharacter& known : cost.costly)
            seen = seen || known.character == character;
        if (seen)
            continue;
        const char16_t* with = ReplacementOf(c);
        cost.costly.push_back({character, with ? QString::fromUtf16(with) : QString()});
    }
    return cost;
}

QString WithCheaperCharacters(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (const char16_t* with = ReplacementOf(c.unicode()))
            out += QString::fromUtf16(with);
        else
            out += c;
    }
    return out;
}

QString EncodingName(SmsEncoding encoding) {
    return encoding == SmsEncoding::Gsm7 ? QStringLiteral("gsm7") : QStringLiteral("ucs2");
}

int OperatorSuffixFromText(const QString& text) {
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 2)
        return -1;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return -1;
    }
    const int value = digits.toInt();
    return value <= LongestOperatorSuffix ? value : -1;
}

CostSettings ReadCostSettings() {
    CostSettings settings;
    const int suffix = OperatorSuffixFromText(GetParam(QLatin1String(ParamName::OperatorSuffix)));
    if (suffix >= 0)
        settings.operatorSuffix = suffix;
    settings.oneSmsOnly = GetParam(QLatin1String(ParamName::OneSmsOnly)) == QLatin1String("1");
    return settings;
}
