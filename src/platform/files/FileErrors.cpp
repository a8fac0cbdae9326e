#include "platform/files/FileErrors.h"

#include "platform/text/Translate.h"

#include <cerrno>
#include <system_error>

namespace nuvix::files {

std::string ErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "permission refusée";
    case EROFS:
        return "système de fichiers en lecture seule";
    case ENOSPC:
        return "disque plein";
    case EDQUOT:
        return "quota disque dépassé";
    case EFBIG:
        return "fichier trop grand";
    case ENOENT:
        return "fichier ou répertoire absent";
    case ENOTDIR:
        return "un élément du chemin n'est pas un répertoire";
    case EISDIR:
        return "c'est un répertoire";
    case ELOOP:
        return "trop de liens symboliques";
    case ENAMETOOLONG:
        return "nom trop long";
    case EIO:
        return "erreur d'entrée-sortie du disque";
    case EEXIST:
        return Tr("le fichier existe déjà");
    default:
        return std::generic_category().message(error);
    }
}

}  // namespace nuvix::files
