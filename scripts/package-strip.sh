#!/bin/sh
# The strip CPack runs on the installed program: what Debian's own packaging
# strips (debugging symbols and the compiler's notes), nothing more.
exec strip --remove-section=.comment --remove-section=.note --strip-unneeded "$@"
