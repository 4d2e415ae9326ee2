#include "runtime/RuntimeError.h"

namespace rt {

RuntimeError runtimeFailure(int number, const QString& source)
{
    QString text;
    switch (number) {
    case err::InvalidCall: text = QStringLiteral("Ungültiger Prozeduraufruf oder ungültiges Argument"); break;
    case err::Overflow: text = QStringLiteral("Überlauf"); break;
    case err::SubscriptOutOfRange: text = QStringLiteral("Index außerhalb des gültigen Bereichs"); break;
    case err::TypeMismatch: text = QStringLiteral("Typen unverträglich"); break;
    case err::BadFileName: text = QStringLiteral("Dateiname oder -nummer falsch"); break;
    case err::FileNotFound: text = QStringLiteral("Datei nicht gefunden"); break;
    case err::InputPastEnd: text = QStringLiteral("Einlesen hinter Dateiende"); break;
    case err::PermissionDenied: text = QStringLiteral("Zugriff verweigert"); break;
    case err::ObjectNotSet: text = QStringLiteral("Objektvariable oder With-Blockvariable nicht festgelegt"); break;
    case err::PathNotFound: text = QStringLiteral("Pfad nicht gefunden"); break;
    default: text = QStringLiteral("Anwendungs- oder objektdefinierter Fehler"); break;
    }
    return RuntimeError(number, source, text);
}

}  // namespace rt
