#include "platform/files/FileErrors.h"

#include "platform/text/Translate.h"

#include <cerrno>
#include <clocale>
#include <cstring>

namespace nuvix::files {

std::string ErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return Tr("permission refusée");
    case EROFS:
        return Tr("système de fichiers en lecture seule");
    case ENOSPC:
        return Tr("disque plein");
    case EDQUOT:
        return Tr("quota disque dépassé");
    case EFBIG:
        return Tr("fichier trop grand");
    case ENOENT:
        return Tr("fichier ou répertoire absent");
    case ENOTDIR:
        return Tr("un élément du chemin n'est pas un répertoire");
    case EISDIR:
        return Tr("c'est un répertoire");
    case ELOOP:
        return Tr("trop de liens symboliques");
    case ENAMETOOLONG:
        return Tr("nom trop long");
    case EIO:
        return Tr("erreur d'entrée-sortie du disque");
    default: {
        // The C library's own words, in English whatever the locale, as they have always been.
        static const locale_t c = newlocale(LC_MESSAGES_MASK, "C", locale_t{});
        return c ? strerror_l(error, c) : std::strerror(error);
    }
    }
}

}  // namespace nuvix::files
