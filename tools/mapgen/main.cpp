#include "mapgen/icon.h"
#include "mapgen/maprenderer.h"
#include "mapgen/topojson.h"
#include "ui/StationMap.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLocale>
#include <QSaveFile>
#include <QTextStream>

#include <cmath>
#include <cstdio>
#include <optional>

using namespace roteka::mapgen;
using roteka::LocatorProblem;
using roteka::userMapPath;

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr auto kBesideData = "data/land-110m.json";
#ifdef Q_OS_WIN
constexpr auto kInstalledData = kBesideData;
#else
constexpr auto kInstalledData = "../share/roteka/land-110m.json";
#endif

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

int usageError(const QString& message) {
    err() << "roteka-mapgen: " << message << "\n"
          << "Try 'roteka-mapgen --help' for more information.\n";
    err().flush();
    return kExitUsage;
}

int failure(const QString& message) {
    err() << "roteka-mapgen: " << message << "\n";
    err().flush();
    return kExitFailure;
}

std::optional<double> parseNumber(const QString& text) {
    bool ok = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QString besideProgram(const char* path) {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QLatin1String(path));
}

// The coastlines are found from the program's own place, whatever the current directory: in
// data/ beside it (the Windows zip and installer, and the build tree), else where a Unix
// installation keeps them, ../share/roteka/ from its directory, the place an error then names.
QString defaultDataPath() {
    const QString beside = besideProgram(kBesideData);
    return QFileInfo::exists(beside) ? beside : besideProgram(kInstalledData);
}

QString locatorProblemText(LocatorProblem problem) {
    switch (problem) {
    case LocatorProblem::None:
    case LocatorProblem::WrongLength:
        break;
    case LocatorProblem::BadField:
        return QStringLiteral("; its first two characters are letters from A to R");
    case LocatorProblem::BadSquare:
        return QStringLiteral("; its third and fourth characters are digits");
    case LocatorProblem::BadSubsquare:
        return QStringLiteral("; its fifth and sixth characters are letters from A to X");
    case LocatorProblem::BadExtendedSquare:
        return QStringLiteral("; its seventh and eighth characters are digits");
    }
    return {};
}

QtMessageHandler defaultHandler = nullptr;

// The tool draws without a display, on the offscreen platform; on Windows, which needs no display
// server, on the system's own, as the offscreen platform there finds no fonts for the labels.
// The offscreen platform complains about a missing XDG_RUNTIME_DIR, which this tool never uses.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg &&
        message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR"))) {
        return;
    }
    defaultHandler(type, context, message);
}

// A map also records its station, as a text entry of the PNG file.
bool writePng(const QImage& image, const QString& path, QString* error,
              const std::optional<roteka::GeoPoint>& station = std::nullopt) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, "PNG");
    if (station) {
        writer.setText(QLatin1String(roteka::StationTextKey), roteka::stationText(*station));
    }
    if (!writer.write(image)) {
        file.cancelWriting();
        *error = writer.errorString();
        return false;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
#ifndef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    defaultHandler = qInstallMessageHandler(quietHandler);
    QGuiApplication app(argc, argv);
    // The station map goes where ROTEKA looks for it: its per-user data directory.
    QGuiApplication::setApplicationName(QStringLiteral("roteka"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Draws the 200x200 azimuthal equidistant station map (or the application "
                       "icon) as a PNG file.\n\n"
                       "Map:  roteka-mapgen --locator IO91wm   (or --lat 51.48 --lon -0.01)\n"
                       "Icon: roteka-mapgen --icon 32 --out roteka-32.png\n\n"
                       "Exit status: 0 done, 1 data or output error, 2 bad options."));
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help and exit."));
    const QCommandLineOption latOption(QStringLiteral("lat"),
                                       QStringLiteral("Station latitude, degrees, north positive."),
                                       QStringLiteral("deg"));
    const QCommandLineOption lonOption(QStringLiteral("lon"),
                                       QStringLiteral("Station longitude, degrees, east positive."),
                                       QStringLiteral("deg"));
    const QCommandLineOption dataOption(
        QStringLiteral("data"),
        QStringLiteral("TopoJSON land polygons (object \"land\"). Default: the copy that comes "
                       "with this program, %1.")
            .arg(defaultDataPath()),
        QStringLiteral("file"));
    const QCommandLineOption rangeOption(
        QStringLiteral("range-km"),
        QStringLiteral("Distance at the map rim. Default: the antipode, %1 km.")
            .arg(qRound(kAntipodeDistanceKm)),
        QStringLiteral("km"));
    const QCommandLineOption ringOption(QStringLiteral("ring-km"),
                                        QStringLiteral("Range ring spacing. Default: 5000 km."),
                                        QStringLiteral("km"));
    const QCommandLineOption iconOption(
        QStringLiteral("icon"),
        QStringLiteral("Draw the application icon of this size (%1..%2 px) instead of a map.")
            .arg(IconPainter::kMinSize)
            .arg(IconPainter::kMaxSize),
        QStringLiteral("px"));
    const QCommandLineOption locatorOption(
        QStringLiteral("locator"),
        QStringLiteral("Station Maidenhead locator, 4, 6 or 8 characters; the map is centred on "
                       "the middle of its square."),
        QStringLiteral("square"));
    const QCommandLineOption outOption(
        QStringLiteral("out"),
        QStringLiteral("PNG file to write. Default for a map: %1, which ROTEKA shows.")
            .arg(userMapPath()),
        QStringLiteral("file"));
    parser.addOptions({helpOption, latOption, lonOption, locatorOption, dataOption, rangeOption,
                       ringOption, iconOption, outOption});

    if (!parser.parse(QCoreApplication::arguments())) {
        return usageError(parser.errorText());
    }
    if (parser.isSet(helpOption)) {
        QTextStream(stdout) << parser.helpText();
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return usageError(QStringLiteral("unexpected argument '%1'")
                              .arg(parser.positionalArguments().constFirst()));
    }
    if (parser.isSet(outOption) && parser.value(outOption).isEmpty()) {
        return usageError(QStringLiteral("--out needs a file"));
    }
    const QString outPath = parser.isSet(outOption) ? parser.value(outOption) : userMapPath();
    QString writeError;

    if (parser.isSet(iconOption)) {
        if (!parser.isSet(outOption)) {
            return usageError(QStringLiteral("--icon needs --out"));
        }
        for (const QCommandLineOption* o :
             {&latOption, &lonOption, &locatorOption, &dataOption, &rangeOption, &ringOption}) {
            if (parser.isSet(*o)) {
                return usageError(QStringLiteral("--icon cannot be combined with --%1")
                                      .arg(o->names().constFirst()));
            }
        }
        bool ok = false;
        const int size = parser.value(iconOption).trimmed().toInt(&ok);
        if (!ok || size < IconPainter::kMinSize || size > IconPainter::kMaxSize) {
            return usageError(QStringLiteral("--icon needs a size from %1 to %2 pixels, not '%3'")
                                  .arg(IconPainter::kMinSize)
                                  .arg(IconPainter::kMaxSize)
                                  .arg(parser.value(iconOption)));
        }
        if (!writePng(IconPainter::render(size), outPath, &writeError)) {
            return failure(QStringLiteral("cannot write %1: %2").arg(outPath, writeError));
        }
        return 0;
    }

    MapOptions options;
    if (parser.isSet(locatorOption)) {
        if (parser.isSet(latOption) || parser.isSet(lonOption)) {
            return usageError(QStringLiteral("--locator cannot be combined with --lat or --lon"));
        }
        const QString locator = parser.value(locatorOption);
        const auto centre = roteka::locatorCentre(locator);
        if (!centre) {
            return usageError(
                QStringLiteral("--locator needs a Maidenhead locator of 4, 6 or 8 "
                               "characters such as IO91wm, not '%1'%2")
                    .arg(locator, locatorProblemText(roteka::locatorProblem(locator))));
        }
        options.station = *centre;
    } else if (!parser.isSet(latOption) || !parser.isSet(lonOption)) {
        return usageError(QStringLiteral("--locator, or --lat and --lon, are required"));
    }
    struct NumberOption {
        const QCommandLineOption* option;
        double* target;
    };
    for (const NumberOption& n : {NumberOption{&latOption, &options.station.lat},
                                  NumberOption{&lonOption, &options.station.lon},
                                  NumberOption{&rangeOption, &options.rangeKm},
                                  NumberOption{&ringOption, &options.ringKm}}) {
        if (!parser.isSet(*n.option)) {
            continue;
        }
        const std::optional<double> value = parseNumber(parser.value(*n.option));
        if (!value) {
            return usageError(QStringLiteral("--%1 needs a number, not '%2'")
                                  .arg(n.option->names().constFirst(), parser.value(*n.option)));
        }
        *n.target = *value;
    }
    if (const QString problem = MapRenderer::validate(options); !problem.isEmpty()) {
        return usageError(problem);
    }

    const QString dataPath =
        parser.isSet(dataOption) ? parser.value(dataOption) : defaultDataPath();
    const TopoJsonResult land = TopoJsonDecoder::decodeFile(dataPath, QStringLiteral("land"));
    if (!land.ok()) {
        return failure(land.error);
    }
    if (land.polygons.empty()) {
        return failure(QStringLiteral("%1: the \"land\" object holds no polygons").arg(dataPath));
    }
    if (!parser.isSet(outOption) && !QDir().mkpath(QFileInfo(outPath).absolutePath())) {
        return failure(QStringLiteral("cannot create the directory of %1").arg(outPath));
    }
    if (!writePng(MapRenderer::render(land.polygons, options), outPath, &writeError,
                  options.station)) {
        return failure(QStringLiteral("cannot write %1: %2").arg(outPath, writeError));
    }
    if (!parser.isSet(outOption)) {
        QTextStream(stdout) << "roteka-mapgen: wrote " << outPath
                            << "; ROTEKA shows this map from its next start.\n";
    }
    return 0;
}
