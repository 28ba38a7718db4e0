// The "Najít telefon…" dialog after "Vyzkoušet vše", as a user with a phone on a USB cable sees
// it: the phone answers, a USB serial adapter with nothing behind it stays silent, and a modem
// that another program holds is left alone. The phone and the adapter are simulated phones
// (phonesim, the second one with --silent) on pseudo-terminals:
//   QT_QPA_PLATFORM=offscreen kva-pagegrab --find-phone docs/najit-telefon.png /dev/pts/N /dev/pts/M
// The devices are listed under the by-id and kernel names a USB phone and adapter have; after
// the tries the list is refreshed with those kernel names in place of the pseudo-terminals
// (results are kept by the shown name), so no path of the machine that made the picture shows.
#include "FindPhoneDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTreeWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>
#include <cstdio>

namespace {

class StagedDevices : public kva::DeviceEnumerator {
public:
    QList<kva::SerialDevice> devices() const override { return list; }
    QList<kva::SerialDevice> list;
};

kva::SerialDevice usbDevice(const QString& kernel, const QString& byId, const QString& description,
                            const QString& maker, const QString& serial, quint16 vendor, quint16 product)
{
    kva::SerialDevice d;
    d.kernelPath = kernel;
    d.byIdPath = byId;
    d.description = description;
    d.manufacturer = maker;
    d.serialNumber = serial;
    d.hasUsbIds = true;
    d.vendorId = vendor;
    d.productId = product;
    return d;
}

} // namespace

int grabFindPhone(const QString& output, const QString& phoneDevice, const QString& silentDevice)
{
    QTemporaryDir settings; // neither the real ports.ini nor its COM names
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    const QString phoneById = QStringLiteral("/dev/serial/by-id/usb-Simfon_SF-1_0123456789-if00");
    const QString adapterById = QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    const QString modemById = QStringLiteral("/dev/serial/by-id/usb-Sierra_Wireless_EM7455_LTE_4G-if02");
    StagedDevices devices;
    devices.list = {
        usbDevice(phoneDevice, phoneById, QStringLiteral("SF-1"), QStringLiteral("Simfon"),
                  QStringLiteral("0123456789"), 0x1234, 0x0001),
        usbDevice(silentDevice, adapterById, QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
                  QStringLiteral("A50285BI"), 0x0403, 0x6001),
        usbDevice(QStringLiteral("/dev/ttyUSB2"), modemById, QStringLiteral("EM7455"), QStringLiteral("Sierra Wireless"),
                  QString(), 0x1199, 0x9071),
    };
    bool asked = false;
    kva::FindPhoneDialog::Host host;
    host.enumerator = &devices;
    host.comTargets = [] { return QMap<int, kva::ComTarget>(); };
    host.ask = [&](QWidget*, const QString&) { return asked = true; };
    host.owners = [](const QString& path) {
        return path == QStringLiteral("/dev/ttyUSB2") ? QList<kva::PortOwner>{{812, QStringLiteral("ModemManager")}}
                                                      : QList<kva::PortOwner>();
    };
    kva::FindPhoneDialog dialog(host);
    dialog.show();
    dialog.tryAllButton->click();
    QElapsedTimer clock;
    clock.start();
    while (dialog.probing() && clock.elapsed() < 20000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    if (!asked || dialog.probing()) {
        std::fprintf(stderr, "the devices were not tried\n");
        return 1;
    }
    devices.list[0].kernelPath = QStringLiteral("/dev/ttyACM0");
    devices.list[1].kernelPath = QStringLiteral("/dev/ttyUSB0");
    dialog.refresh();
    dialog.list->setCurrentItem(dialog.list->topLevelItem(0));
    QApplication::processEvents();
    return dialog.grab().save(output) ? 0 : 1;
}
