#pragma once
// The local mail servers of a test registered with pv_add_mail_test, whose
// fixture names their directory in PV_MAILSERVERS; the test skips without them.
#include "MailServersEnv.h"

#include <QTest>

#define PV_REQUIRE_MAILSERVERS(servers) \
    if (!(servers).Load(qEnvironmentVariable("PV_MAILSERVERS"))) \
    QSKIP("no local mail servers: run through ctest, or scripts/mailservers start and set PV_MAILSERVERS")
