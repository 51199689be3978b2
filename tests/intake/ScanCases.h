#pragma once

#include "server/LoRaDevice.h"

#include <QByteArray>
#include <QString>
#include <QtTest>

// Scans as the scanner sends them and what each must turn into; shared by the decoder
// tests and the tests through a pseudo-terminal.
//   columns: scan (bytes), isSerialNumber, serialNumber, device (the six credential fields)
void addScanColumns();
void addScanRows();

// Compares the six fields a scan fills in, one by one for readable failures.
void compareCredentials(const LoRaDevice& actual, const LoRaDevice& expected);
