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

int LanguageOfCommand(int commandId) {
  if (commandId < kFirstLanguageCommand || commandId > kLastLanguageCommand) return 0;
  return commandId - kFirstLanguageCommand + 1;
}

}  // namespace orlenta
