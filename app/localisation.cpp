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

int LanguageOfCommand(int commandId) {
  if (commandId < kFirstLanguageCommand || commandId > kLastLanguageCommand) return 0;
  return commandId - kFirstLanguageCommand + 1;
}

}  // namespace orlenta
