// SPDX-License-Identifier: GPL-3.0-or-later
#include "localisation.h"

namespace orlenta {

const LocalizedText StartTip = {
    "",
    "Start Process!",
    "Commencez le processus!",
    "Beginnen Sie Prozeß!",
    "Inizi il processo!",
    "Comience el proceso1",
    "Incepe procesul!",
};

const LocalizedText StopTip = {
    "", "Stop!", "Arrêt!", "Anschlag!", "Arresto!", "Parada!", "Stop!",
};

const LocalizedText HelpTip = {
    "", "Help!", "Aide!", "Hilfe!", "Aiuto!", "Ayuda!", "Ajutor!",
};

const LocalizedText ExitTip = {
    "", "Exit", "Sortie", "Exit", "Esci", "Salir", "Terminare",
};

const LocalizedText LanguageTip = {
    "",
    "Set language!",
    "Placez la langue!",
    "Stellen Sie Sprache!",
    "Regoli la lingua!",
    "Fije la lengua!",
    "Seteaza limba!",
};

const LocalizedText SettingsTip = {
    "",
    "Set configuration for recovery process",
    "Configuration",
    "Einstellungen",
    "Configuratione",
    "Opciones",
    "Seteaza optiunile pentru procesul de recuperare",
};

const LocalizedText RestartNotice = {
    "",
    "You must restart program the measure to take effect!",
    "Vous devez remettre en marche le programme  d'entrer en vigueur!",
    "Sie müssen Programm wiederbeginnen das Maß, wirksam zuSEIN!",
    "Dovete ricominciare il programma la misura entrare in vigore!",
    "¡Usted debe recomenzar programa la medida de tomar efecto!",
    "Trebuie sa restartati programul pentru a se seta limba!",
};

const LocalizedText HelpNotOpenedText = {
    "",
    "The help page cannot be opened here. Open it in a web browser:",
    "La page d'aide ne peut pas être ouverte ici. Ouvrez-la dans un navigateur :",
    "Die Hilfeseite kann hier nicht geöffnet werden. Öffnen Sie sie in einem Browser:",
    "La pagina di aiuto non si può aprire qui. Apritela in un browser:",
    "La página de ayuda no se puede abrir aquí. Ábrala en un navegador:",
    "Pagina de ajutor nu poate fi deschisa aici. Deschideti-o intr-un browser:",
};

const LocalizedText NoDriveText = {
    "",
    "No drive.\nAdd a disc image: Settings, Drives.",
    "Aucun lecteur.\nAjoutez une image : Configuration, Lecteurs.",
    "Kein Laufwerk.\nAbbild hinzufügen: Einstellungen, Laufwerke.",
    "Nessuna unità.\nAggiungete un'immagine: Configuratione, Unità.",
    "Ninguna unidad.\nAñada una imagen: Opciones, Unidades.",
    "Nicio unitate.\nAdaugati o imagine: Setari, Unitati.",
};

const LocalizedText ImageMissingText = {
    "",
    "The disc image of this drive is missing:",
    "L'image de ce lecteur est introuvable :",
    "Das Abbild dieses Laufwerks fehlt:",
    "L'immagine di questa unità manca:",
    "Falta la imagen de esta unidad:",
    "Imaginea acestei unitati lipseste:",
};

const LocalizedText ImageUnreadableText = {
    "",
    "The disc image of this drive cannot be read:",
    "L'image de ce lecteur ne peut pas être lue :",
    "Das Abbild dieses Laufwerks ist nicht lesbar:",
    "L'immagine di questa unità non è leggibile:",
    "La imagen de esta unidad no se puede leer:",
    "Imaginea acestei unitati nu poate fi citita:",
};

const LocalizedText GoOnQuestion = {
    "",
    "An earlier run on this drive was stopped with %s sectors still unread.\n"
    "Go on with it, reading only those?\n"
    "(No starts afresh; what was written is kept.)",
    "Une analyse précédente de ce lecteur a été arrêtée avec %s secteurs non lus.\n"
    "La poursuivre en ne lisant que ceux-là ?\n"
    "(Non recommence à zéro ; ce qui a été écrit est conservé.)",
    "Ein früherer Lauf auf diesem Laufwerk wurde mit %s ungelesenen Sektoren angehalten.\n"
    "Fortsetzen und nur diese lesen?\n"
    "(Nein beginnt neu; bereits Geschriebenes bleibt erhalten.)",
    "Una scansione precedente di questa unità è stata fermata con %s settori non letti.\n"
    "Continuarla leggendo solo quelli?\n"
    "(No ricomincia da capo; ciò che è stato scritto viene conservato.)",
    "Un análisis anterior de esta unidad se detuvo con %s sectores sin leer.\n"
    "¿Continuarlo leyendo solo esos?\n"
    "(No empieza de nuevo; lo ya escrito se conserva.)",
    "O rulare anterioara pe aceasta unitate a fost oprita cu %s sectoare necitite.\n"
    "Continuati, citind doar pe acestea?\n"
    "(Nu incepe din nou; ce a fost scris se pastreaza.)",
};

const LocalizedText YesAnswer = {"", "Yes", "Oui", "Ja", "Sì", "Sí", "Da"};
const LocalizedText NoAnswer = {"", "No", "Non", "Nein", "No", "No", "Nu"};

const LocalizedText SectorsUnreadText = {
    "",
    "Sectors still unread: %s",
    "Secteurs encore non lus : %s",
    "Noch ungelesene Sektoren: %s",
    "Settori ancora non letti: %s",
    "Sectores aún sin leer: %s",
    "Sectoare inca necitite: %s",
};

const LocalizedText FileMendedText = {
    "",
    "File mended: %s",
    "Fichier complété : %s",
    "Datei ergänzt: %s",
    "File completato: %s",
    "Archivo completado: %s",
    "Fisier completat: %s",
};

const LocalizedText SpeedLoweredText = {
    "",
    "Read errors: the drive now reads at %sx",
    "Erreurs de lecture : le lecteur lit désormais à %sx",
    "Lesefehler: das Laufwerk liest jetzt mit %sx",
    "Errori di lettura: l'unità ora legge a %sx",
    "Errores de lectura: la unidad lee ahora a %sx",
    "Erori de citire: unitatea citeste acum la %sx",
};

const LocalizedText SpeedRefusedText = {
    "",
    "Read errors: the drive would not read slower",
    "Erreurs de lecture : le lecteur refuse de lire plus lentement",
    "Lesefehler: das Laufwerk liest nicht langsamer",
    "Errori di lettura: l'unità non legge più lentamente",
    "Errores de lectura: la unidad no lee más despacio",
    "Erori de citire: unitatea nu citeste mai incet",
};

const LocalizedText FramesUnreadText = {
    "",
    "Frames unreadable, written as silence: %s",
    "Trames illisibles, écrites comme silence : %s",
    "Unlesbare Frames, als Stille geschrieben: %s",
    "Frame illeggibili, scritti come silenzio: %s",
    "Tramas ilegibles, escritas como silencio: %s",
    "Cadre necitite, scrise ca liniste: %s",
};

const LocalizedText FramesUnrepairedText = {
    "",
    "Frames that could not be repaired: %s",
    "Trames qui n'ont pas pu être réparées : %s",
    "Frames, die nicht repariert werden konnten: %s",
    "Frame che non è stato possibile riparare: %s",
    "Tramas que no se pudieron reparar: %s",
    "Cadre care nu au putut fi reparate: %s",
};

const LocalizedText NoErrorCorrectionText = {
    "",
    "Music read without error correction, which cannot use this drive",
    "Musique lue sans correction d'erreurs, qui ne peut pas utiliser ce lecteur",
    "Musik ohne Fehlerkorrektur gelesen, die dieses Laufwerk nicht nutzen kann",
    "Musica letta senza correzione degli errori, che non può usare questa unità",
    "Música leída sin corrección de errores, que no puede usar esta unidad",
    "Muzica citita fara corectarea erorilor, care nu poate folosi aceasta unitate",
};

const LocalizedText ImageNotKeptText = {
    "",
    "The disc's image cannot be kept; the files are recovered without it:",
    "L'image du disque ne peut pas être conservée ; les fichiers sont récupérés sans elle :",
    "Das Abbild der Disc kann nicht behalten werden; die Dateien werden ohne es gerettet:",
    "L'immagine del disco non può essere conservata; i file vengono recuperati senza:",
    "La imagen del disco no se puede conservar; los archivos se recuperan sin ella:",
    "Imaginea discului nu poate fi pastrata; fisierele sunt recuperate fara ea:",
};

int LanguageOfCommand(int commandId) {
  if (commandId < kFirstLanguageCommand || commandId > kLastLanguageCommand) return 0;
  return commandId - kFirstLanguageCommand + 1;
}

}  // namespace orlenta
