// The wording of every language-dependent text in French, English and German.
#include "app/message_catalogue.h"

#include <array>

namespace app {
namespace {

using Member = std::string MessageCatalogue::*;

// One key's three wordings.
struct Wording {
  Member member;
  const char* french;
  const char* english;
  const char* german;
};

constexpr const char* kMakerName = "ORVANTO";
constexpr const char* kMakerAddress = "http://www.orvanto.example";
constexpr const char* kAuthorName = "Lucien Ferrandou";
constexpr const char* kThankedNames = "Ysolde Marquet, Thilo Brandauer, Nadia Serrurier, Owen Tallis";
constexpr const char* kContributorName = "Bastien Cordelier";
constexpr const char* kContributorAddress = "http://cordelier-pixels.example";

const std::array kWordings = {
    Wording{&MessageCatalogue::MsgCanceled, "Annulé", "Canceled", "Abgebrochen"},
    Wording{&MessageCatalogue::MsgUpdateMissing,
            "Le fichier est indisponible pour Le moment, veuillez ré-essayer dans quelques minutes",
            "Unable to find the file, please try in a few minutes",
            "Kann Datei nicht finden, bitte später nochmal versuchen"},
    Wording{&MessageCatalogue::MsgDownloading, "Téléchargement...", "Downloading...", "Herunterladen..."},
    Wording{&MessageCatalogue::MsgUpToDate, "Vous avez déjà la dernière Version",
            "You already have the latest release", "Sie haben schon die aktuelle Version"},
    Wording{&MessageCatalogue::MsgTagline, "Convertissez un texte en image et vice et versa",
            "Convert a text into picture or picture to text",
            "Konvertiert einen Text zu einem Bild oder ein Bild in einen Text"},
    Wording{&MessageCatalogue::MsgConvert, "Effectuer une conversion", "Convert !", "Konvertieren !"},
    Wording{&MessageCatalogue::MsgLoadText, "Charger un fichier Texte", "Load a txt file",
            "Lade eine Textdatei"},
    Wording{&MessageCatalogue::MsgTooManyChars, "Nombre de caractères trop important !",
            "To many characters !", "Zu viele Zeichen !"},
    Wording{&MessageCatalogue::MsgPleaseWait, "Patientez S.V.P", "Please Wait", "Bitte warten"},
    Wording{&MessageCatalogue::MsgSavePng, "Sauver l'image PNG", "Save PNG File", "Speicher PNG Datei"},
    Wording{&MessageCatalogue::MsgCompleted, "Opération terminée", "Operation completed",
            "Vorgang abgeschlossen"},
    Wording{&MessageCatalogue::MsgLoadPng, "Charger une image .PNG", "Load a PNG picture",
            "Lade ein PNG-Bild"},
    Wording{&MessageCatalogue::MsgCopyText, "Copier le texte dans le presse papier",
            "Copy the text into the clipboard", "Kopiere den Text in die Zwischenablage"},
    Wording{&MessageCatalogue::MsgSaveText, "Enregistrer le texte dans un fichier .txt",
            "Save text into a .txt file", "Speicher Text als .txt Datei"},
    Wording{&MessageCatalogue::MsgTextCopied, "Le texte a été copié dans le presse papier",
            "Text was copied into the clipboard", "Text wurde in die Zwischenablage kopiert"},
    Wording{&MessageCatalogue::MsgChooseName, "Choisissez un nom pour votre fichier",
            "Choose a name for your file", "Wähle einen Namen für die Datei"},
    Wording{&MessageCatalogue::MsgFileSavedPrefix, "Le fichier ", "File ", "Datei "},
    Wording{&MessageCatalogue::MsgFileSavedSuffix, " a été sauvegardé", " has been saved",
            " wurde gespeichert"},
    Wording{&MessageCatalogue::MsgUpdateCaption, "@", "@", "@"},
    Wording{&MessageCatalogue::MsgUpdateOnline, " est disponible, voulez-vous la télécharger maintenant ?",
            " is online, do you want to download it ?", " ist online, wollen Sie es runterladen ?"},
    Wording{&MessageCatalogue::MsgUpdateSaved, "La mise à jour à été sauvée dans ",
            "The Update has been saved in ", "Das Update wurde gespeichert in "},
    Wording{&MessageCatalogue::MsgNoNetwork, "Aucune connection internet n'est detectée",
            "Unable to find network", "Außerstande das Netzwerk zu finden"},
    Wording{&MessageCatalogue::MsgError, "Erreur", "Error", "Fehler"},
    Wording{&MessageCatalogue::MsgClipboardButton, "Presse papier -> PNG", "CLIPBOARD TXT -> PNG",
            "ZWISCHENABLAGE TXT -> PNG"},
    Wording{&MessageCatalogue::MsgClipboardEmpty, "Il ni a aucun texte dans le presse papier !",
            "There is no text in the clipboard !",
            "Es befindet sich kein Text in der Zwischenablage !"},
    Wording{&MessageCatalogue::MsgUpdateTip, "Mise à jour", "Update", "Update"},
    Wording{&MessageCatalogue::MsgFooter,
            "Ce logiciel est gratuit (freeware) : copiez-le et partagez-le librement",
            "This software is freeware: copy it and share it freely",
            "Diese Software ist Freeware: kopieren und weitergeben erlaubt"},
    Wording{&MessageCatalogue::MsgTextPattern,
            "Ficher Texte|*.txt;*.TXT;*.pb;*.php;*.html;*.htm;*.js;*.ini",
            "Text file|*.txt;*.TXT;*.pb;*.php;*.html;*.htm;*.js;*.ini",
            "Text Datei|*.txt;*.TXT;*.pb;*.php;*.html;*.htm;*.js;*.ini"},
    Wording{&MessageCatalogue::MsgImagePattern, "Ficher image (*.png)|*.png;*.PNG",
            "Image File (*.png)|*.png;*.PNG", "Bild Datei (*.png)|*.png;*.PNG"},
    Wording{&MessageCatalogue::MsgPngPattern, "Ficher PNG|*.png;*.PNG", "PNG file|*.png;*.PNG",
            "PNG Datei|*.png;*.PNG"},
    Wording{&MessageCatalogue::MsgSaveTextPattern, "Texte (*.txt)|*.txt|Autres (*.*)|*.*",
            "Text (*.txt)|*.txt|Other (*.*)|*.*", "Text (*.txt)|*.txt|Andere (*.*)|*.*"},
    // The rest of the what's-new text, after "\n " and the version.
    Wording{&MessageCatalogue::MsgWhatsNew,
            " - Quoi de neuf ?\n> Recodage complet du logiciel\n"
            "> Le choix des langues ne nécessite plus le redemarrage du programme\n"
            "> Le Format PNG est maintenant le seul accepté",
            " - What's new ?\n> New code\n"
            "> Easier language choosing at the first launch, no program reboot is needed\n"
            "> PNG Format is now the only supported picture format",
            " - Was ist neu ?\n> Neuer Code\n"
            "> Vereinfachte Sprachauswahl beim Erststart, es ist kein Neustart erforderlich\n"
            "> PNG Format ist nun das einzige unterstützte Bildformat"},
    // The opening of the authorship line; the author and maker follow.
    Wording{&MessageCatalogue::MsgCredits, "Ce logiciel a été créé par ",
            "This software has been created by ", "Diese Software wurde entwickelt von "},
    Wording{&MessageCatalogue::MsgNoVersionFile,
            "Aucune information de version n'a été trouvée sur le serveur",
            "No version information was found on the server",
            "Auf dem Server wurde keine Versionsangabe gefunden"},
    // Follows the saved message on a line of its own.
    Wording{&MessageCatalogue::MsgSavedAsUtf8,
            "\nLe texte contient des caractères que Windows-1252 ne peut pas représenter : "
            "il a été enregistré en entier en UTF-8.",
            "\nThe text holds characters that Windows-1252 cannot represent: "
            "it was saved whole as UTF-8.",
            "\nDer Text enthält Zeichen, die Windows-1252 nicht darstellen kann: "
            "er wurde vollständig als UTF-8 gespeichert."},
};

// The opening of the thanks line of the credits.
const Wording kThanks{nullptr, "Remerciements : ", "Greetings : ", "Grüße : "};

enum class Column { French, English, German };

Column ColumnOf(const std::string& language) {
  if (language == kFrench) return Column::French;
  if (language == kDeutsch) return Column::German;
  return Column::English;
}

const char* Pick(const Wording& wording, Column column) {
  switch (column) {
    case Column::French: return wording.french;
    case Column::German: return wording.german;
    case Column::English: break;
  }
  return wording.english;
}

}  // namespace

const std::vector<std::pair<const char*, std::string MessageCatalogue::*>>& CatalogueKeys() {
  using M = MessageCatalogue;
  static const std::vector<std::pair<const char*, std::string M::*>> keys = {
#define LETTERLOOM_CATALOGUE_ENTRY(key) {#key, &M::key},
      LETTERLOOM_CATALOGUE_KEYS(LETTERLOOM_CATALOGUE_ENTRY)
#undef LETTERLOOM_CATALOGUE_ENTRY
  };

  return keys;
}

MessageCatalogue FillCatalogue(const std::string& language, const std::string& versionString,
                               const std::string& contactsText) {
  const Column column = ColumnOf(language);
  MessageCatalogue catalogue;
  for (const Wording& wording : kWordings) catalogue.*wording.member = Pick(wording, column);

  catalogue.MsgWhatsNew = "\n " + versionString + catalogue.MsgWhatsNew;
  catalogue.MsgCredits = catalogue.MsgCredits + kAuthorName + " - " + kMakerName + "\r\n" +
                         catalogue.MsgFooter + "\r\n" + Pick(kThanks, column) + kThankedNames +
                         "\r\n" + contactsText;
  return catalogue;
}

std::string LanguageCode(const std::string& language) {
  switch (ColumnOf(language)) {
    case Column::French: return "fr";
    case Column::German: return "de";
    case Column::English: break;
  }
  return "en";
}

std::string MakeContactsText() {
  return std::string("\r\n") + kMakerName + " : " + kMakerAddress + "\r\n" + kContributorName +
         " : " + kContributorAddress;
}

}  // namespace app
