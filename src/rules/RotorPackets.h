#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace roteka {

// The two small UDP formats that logging and contest programs send to turn the antenna, read and
// answered. Neither is well-formed XML, so both are read by their elements, never by an XML
// parser. What the two readers share:
// - A datagram is UTF-8 of at most MaxRotorDatagram bytes; any other datagram is refused whole.
// - An element is an opening tag <name>, its text and the closing tag </name>; <name/> is an
//   element without text. Attributes and blanks inside a tag are passed over, tag names are
//   matched without regard to case, and elements may come in any order with any whitespace or
//   other text between them. Markup that is no element (<?xml ...?>) is passed over.
// - A bearing is decimal degrees: ASCII digits with an optional point and fraction (".5", "55",
//   "55.", "55.0"; a comma is taken for the point, as senders in such locales write it), blanks
//   around allowed. No sign (a negative bearing is refused), no exponent. It is taken modulo
//   360 (a logger's long path may send 400); a number too large for a double is refused.

inline constexpr qsizetype MaxRotorDatagram = 8192; // bytes; a longer datagram is refused whole

// N1MM rotor packets. A turn:
//   <N1MMRotor><rotor>NAME</rotor><goazi>55.0</goazi><offset>0.0</offset>
//   <bidirectional>0</bidirectional><freqband>14</freqband></N1MMRotor>
// A stop, in either of the forms senders use:
//   <N1MMRotor><stop><rotor>NAME</rotor><freqband>21.0</freqband></stop></N1MMRotor>
//   <N1MMRotor><rotor>NAME</rotor><stop>1</stop></N1MMRotor>
// A <stop> element stops whatever it holds and wins over a <goazi> beside it; offset,
// bidirectional and freqband are passed over. Invalid: <N1MMRotor> missing, unclosed or there
// twice; <rotor>, <stop> or (for a turn) <goazi> unclosed, there twice, nested in itself or
// closed without being opened; no <goazi> in a turn, or one that holds no bearing.
struct N1mmCommand {
    enum Kind { Turn, Stop, Invalid };
    Kind kind = Invalid;
    QString rotor; // the <rotor> element's text, blanks around it removed; empty when there is none
    double bearing = 0; // Turn: goazi taken modulo 360, in [0, 360)
    QString problem; // Invalid: why, in plain English, for a log line ("no <goazi> element", ...)
};
N1mmCommand readN1mmPacket(QByteArrayView datagram);

// The status a rotor program sends back: "NAME @ DEG10", DEG10 the bearing times ten, rounded to a
// whole number (146 degrees: "ROTEKA @ 1460"); a bearing that rounds to 3600 is 0. Any other
// bearing is taken modulo 360 first (420 is sent as 60); one that is not a number is sent as 0.
QByteArray n1mmStatus(const QString& rotorName, double bearing);

// PstRotator UDP control: one or more <PST>...</PST> blocks in a datagram, each holding commands
// read in order: <AZIMUTH>85</AZIMUTH> turns, <STOP>1</STOP> stops (whatever it holds), the text
// AZ? asks the azimuth, <QRA>JO01</QRA> turns to a Maidenhead locator; any other element (<PARK>,
// <ELEVATION>, ...) or text is Ignored. Malformed: no <PST> block; a block or an element in it
// unclosed, nested in itself or closed without being opened; an <AZIMUTH> without a bearing.
struct PstCommand {
    enum Kind { Azimuth, Stop, AskAzimuth, Locator, Ignored };
    Kind kind = Ignored;
    double bearing = 0; // Azimuth: modulo 360, in [0, 360)
    QString locator;    // Locator: the text as sent, blanks around it removed (not checked here)
};
struct PstPacket {
    QList<PstCommand> commands; // in the datagram's order; empty when malformed
    QString problem;            // malformed: why, in plain English, for a log line; empty otherwise
};
PstPacket readPstPacket(QByteArrayView datagram);

// The answer to "AZ?": "AZ:" and the bearing rounded to three digits 000-359 (359.6 is "AZ:000"),
// then CR. Any other bearing is taken modulo 360 first; one that is not a number is sent as 000.
QByteArray pstAzimuthAnswer(double bearing);

} // namespace roteka
