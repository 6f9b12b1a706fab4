#include "tlslistener.h"

void TlsListener::incomingConnection(qintptr descriptor)
{
    emit descriptorAccepted(descriptor);
}
