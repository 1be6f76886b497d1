#include "rules/RotorPackets.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <cmath>
#include <optional>

namespace roteka {

namespace {

struct Tag {
    qsizetype begin = 0; // the tag's characters are [begin, end)
    qsizetype end = 0;
    QStringView name;
    bool closing = false; // </name>
    bool empty = false;   // <name/>
};

bool isNameStart(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_';
}

bool isNameChar(QChar c) {
    return isNameStart(c) || (c >= u'0' && c <= u'9') || c == u'.' || c == u':' || c == u'-';
}

// Every opening, closing and empty tag of the text, in order: "<", an optional "/", a name, then
// either ">" or a blank or "/" and anything but "<" up to ">".
QList<Tag> tagsOf(QStringView text) {
    QList<Tag> tags;
    tags.reserve(text.count(u'<'));
    const qsizetype size = text.size();
    for (qsizetype at = text.indexOf(u'<'); at >= 0; at = text.indexOf(u'<', at)) {
        qsizetype i = at + 1;
        const bool closing = i < size && text[i] == u'/';
        const qsizetype nameStart = closing ? ++i : i;
        if (i < size && isNameStart(text[i])) {
            while (++i < size && isNameChar(text[i])) {
            }
        }
        if (i == nameStart) {
            ++at;
            continue;
        }
        const QStringView name = text.mid(nameStart, i - nameStart);
        if (i < size && text[i] != u'>') {
            const bool rest = text[i].isSpace() || text[i] == u'/';
            while (rest && i < size && text[i] != u'>' && text[i] != u'<')
                ++i;
            if (!rest || i == size || text[i] == u'<') {
                at = i;
                continue;
            }
        }
        if (i == size)
            break;
        tags.append({at, i + 1, name, closing, text[i - 1] == u'/'});
        at = i + 1;
    }
    return tags;
}

bool named(const Tag& tag, QStringView name) {
    return tag.name.compare(name, Qt::CaseInsensitive) == 0;
}

// The datagram as text, or why it is refused.
std::optional<QString> decoded(QByteArrayView datagram, QString& problem) {
    if (datagram.size() > MaxRotorDatagram) {
        problem = QStringLiteral("datagram of %1 bytes, longer than %2")
                      .arg(datagram.size())
                      .arg(MaxRotorDatagram);
        return std::nullopt;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(datagram);
    if (utf8.hasError()) {
        problem = QStringLiteral("datagram is not UTF-8 text");
        return std::nullopt;
    }
    return text;
}

// A piece of received text fit for a log line: cut short, control characters and line breaks
// shown as "?".
QString shown(QStringView text) {
    constexpr qsizetype Longest = 24;
    QString piece = text.trimmed().left(Longest).toString();
    for (QChar& c : piece) {
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format ||
            category == QChar::Separator_Line || category == QChar::Separator_Paragraph)
            c = u'?';
    }
    return text.trimmed().size() > Longest ? piece + QStringLiteral("...") : piece;
}

// A bearing as the readers take it, modulo 360; none for any other text.
std::optional<double> bearingOf(QStringView text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*([0-9]+(?:[.,][0-9]*)?|[.,][0-9]+)\s*$)"));
    const QRegularExpressionMatch m = number.match(text.toString());
    if (!m.hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = m.captured(1).replace(u',', u'.').toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return std::fmod(value, 360.0);
}

QString noBearing(QStringView element, QStringView text) {
    return QStringLiteral("<%1> holds no bearing in degrees: \"%2\"")
        .arg(shown(element), shown(text));
}

// The one element of a name among the tags [first, last): where its text lies, or what is wrong.
struct Element {
    enum Outcome { Found, Missing, Unclosed, Twice, Nested, Stray };
    Outcome outcome = Missing;
    qsizetype open = -1; // tag indices
    qsizetype close = -1;

    bool faulty() const { return outcome != Found && outcome != Missing; }
    QString problem(QStringView name) const {
        switch (outcome) {
        case Missing:
            return QStringLiteral("no <%1> element").arg(name);
        case Unclosed:
            return QStringLiteral("<%1> is not closed").arg(name);
        case Twice:
            return QStringLiteral("<%1> comes twice").arg(name);
        case Nested:
            return QStringLiteral("<%1> inside <%1>").arg(name);
        case Stray:
            return QStringLiteral("</%1> closes no <%1>").arg(name);
        case Found:
            break;
        }
        return {};
    }
};

Element findElement(const QList<Tag>& tags, qsizetype first, qsizetype last, QStringView name) {
    Element e;
    for (qsizetype i = first; i < last; ++i) {
        if (!named(tags[i], name))
            continue;
        if (tags[i].closing) {
            if (e.open < 0 || e.close >= 0)
                return {Element::Stray};
            e.close = i;
        } else if (e.open < 0) {
            e.open = i;
            if (tags[i].empty)
                e.close = i;
        } else {
            return {e.close < 0 ? Element::Nested : Element::Twice};
        }
    }
    if (e.open >= 0)
        e.outcome = e.close >= 0 ? Element::Found : Element::Unclosed;
    return e;
}

QString textOf(const QString& text, const QList<Tag>& tags, const Element& e) {
    if (e.open == e.close)
        return {};
    return text.mid(tags[e.open].end, tags[e.close].begin - tags[e.open].end);
}

// Element text with the five predefined character references replaced.
QString unescaped(QString text) {
    return text.replace(QLatin1String("&lt;"), QLatin1String("<"))
        .replace(QLatin1String("&gt;"), QLatin1String(">"))
        .replace(QLatin1String("&quot;"), QLatin1String("\""))
        .replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

N1mmCommand invalid(const QString& problem) {
    N1mmCommand command;
    command.problem = problem;
    return command;
}

} // namespace

N1mmCommand readN1mmPacket(QByteArrayView datagram) {
    QString problem;
    const std::optional<QString> text = decoded(datagram, problem);
    if (!text)
        return invalid(problem);
    const QList<Tag> tags = tagsOf(*text);
    const QString outerName = QStringLiteral("N1MMRotor");
    const Element outer = findElement(tags, 0, tags.size(), outerName);
    if (outer.outcome != Element::Found)
        return invalid(outer.problem(outerName));
    const auto inside = [&](const QString& name) {
        return findElement(tags, outer.open + 1, outer.close, name);
    };
    const QString rotorName = QStringLiteral("rotor"), stopName = QStringLiteral("stop"),
                  goaziName = QStringLiteral("goazi");
    const Element rotor = inside(rotorName);
    if (rotor.faulty())
        return invalid(rotor.problem(rotorName));
    const Element stop = inside(stopName);
    if (stop.faulty())
        return invalid(stop.problem(stopName));
    N1mmCommand command;
    if (rotor.outcome == Element::Found)
        command.rotor = unescaped(textOf(*text, tags, rotor)).trimmed();
    if (stop.outcome == Element::Found) {
        command.kind = N1mmCommand::Stop;
        return command;
    }
    const Element goazi = inside(goaziName);
    if (goazi.outcome != Element::Found)
        return invalid(goazi.problem(goaziName));
    const QString degrees = textOf(*text, tags, goazi);
    const std::optional<double> bearing = bearingOf(degrees);
    if (!bearing)
        return invalid(noBearing(goaziName, degrees));
    command.kind = N1mmCommand::Turn;
    command.bearing = *bearing;
    return command;
}

namespace {

// Responsibilities: reads the commands of one datagram's <PST> blocks in order, stopping at the
// first fault.
class PstReader {
public:
    explicit PstReader(const QString& text) : text_(text), tags_(tagsOf(text)) {}

    PstPacket read() {
        int blocks = 0;
        for (qsizetype i = 0; i < tags_.size() && packet_.problem.isEmpty(); ++i) {
            if (!named(tags_[i], Pst))
                continue;
            if (tags_[i].closing)
                return malformed(QStringLiteral("</PST> closes no <PST>"));
            ++blocks;
            if (tags_[i].empty)
                continue;
            qsizetype end = i + 1;
            while (end < tags_.size() && !named(tags_[end], Pst))
                ++end;
            if (end == tags_.size())
                return malformed(QStringLiteral("<PST> is not closed"));
            if (!tags_[end].closing)
                return malformed(QStringLiteral("<PST> inside <PST>"));
            readBlock(i, end);
            i = end;
        }
        if (packet_.problem.isEmpty() && blocks == 0)
            return malformed(QStringLiteral("no <PST> element"));
        if (!packet_.problem.isEmpty())
            packet_.commands.clear();
        return packet_;
    }

private:
    static constexpr QStringView Pst = u"PST";

    static PstPacket malformed(const QString& problem) { return {{}, problem}; }

    // The elements and text between the block's tags open and close.
    void readBlock(qsizetype open, qsizetype close) {
        qsizetype at = tags_[open].end;
        for (qsizetype k = open + 1; k < close && packet_.problem.isEmpty(); ++k) {
            const Tag& tag = tags_[k];
            readText(QStringView(text_).mid(at, tag.begin - at));
            if (tag.closing) {
                packet_.problem = QStringLiteral("</%1> closes no <%1>").arg(shown(tag.name));
                return;
            }
            qsizetype end = k;
            if (!tag.empty) {
                for (++end; end < close && !named(tags_[end], tag.name);)
                    ++end;
                if (end == close) {
                    packet_.problem = QStringLiteral("<%1> is not closed").arg(shown(tag.name));
                    return;
                }
                if (!tags_[end].closing) {
                    packet_.problem = QStringLiteral("<%1> inside <%1>").arg(shown(tag.name));
                    return;
                }
            }
            readElement(tag.name, QStringView(text_).mid(tag.end, tags_[end].begin - tag.end));
            at = tags_[end].end;
            k = end;
        }
        readText(QStringView(text_).mid(at, tags_[close].begin - at));
    }

    void readElement(QStringView name, QStringView content) {
        PstCommand command;
        if (name.compare(u"AZIMUTH", Qt::CaseInsensitive) == 0) {
            const std::optional<double> bearing = bearingOf(content);
            if (!bearing) {
                packet_.problem = noBearing(name, content);
                return;
            }
            command.kind = PstCommand::Azimuth;
            command.bearing = *bearing;
        } else if (name.compare(u"STOP", Qt::CaseInsensitive) == 0) {
            command.kind = PstCommand::Stop;
        } else if (name.compare(u"QRA", Qt::CaseInsensitive) == 0) {
            command.kind = PstCommand::Locator;
            command.locator = content.trimmed().toString();
        }
        packet_.commands.append(command);
    }

    void readText(QStringView text) {
        text = text.trimmed();
        if (text.isEmpty())
            return;
        PstCommand command;
        if (text.compare(u"AZ?", Qt::CaseInsensitive) == 0)
            command.kind = PstCommand::AskAzimuth;
        packet_.commands.append(command);
    }

    const QString& text_;
    const QList<Tag> tags_;
    PstPacket packet_;
};

// The bearing as the answers give it: modulo 360 in [0, 360), 0 for one that is not a number.
double answered(double bearing) {
    if (!std::isfinite(bearing))
        return 0;
    const double turned = std::fmod(bearing, 360.0);
    return turned < 0 ? turned + 360.0 : turned;
}

} // namespace

PstPacket readPstPacket(QByteArrayView datagram) {
    PstPacket packet;
    const std::optional<QString> text = decoded(datagram, packet.problem);
    if (!text)
        return packet;
    return PstReader(*text).read();
}

QByteArray n1mmStatus(const QString& rotorName, double bearing) {
    const long tenths = std::lround(answered(bearing) * 10) % 3600;
    return rotorName.toUtf8() + " @ " + QByteArray::number(tenths);
}

QByteArray pstAzimuthAnswer(double bearing) {
    const long degrees = std::lround(answered(bearing)) % 360;
    return "AZ:" + QByteArray::number(degrees).rightJustified(3, '0') + '\r';
}

} // namespace roteka
