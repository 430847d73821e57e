#include "VelloraUtil.h"

#include <cstring>

char* VelloraUtil::AllocateMemory(std::size_t size) {
    return new char[size];
}

void VelloraUtil::FreeMemory(char* memory) {
    delete[] memory;
}

char* VelloraUtil::DupString(const char* text) {
    if (!text) {
        return nullptr;
    }
    const std::size_t length = std::strlen(text);
    char* copy = AllocateMemory(length + 2);
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    copy[length + 1] = '\0';
    return copy;
}

void VelloraUtil::AllocateScanAttributes(long count, ScanAttributes& attributes) {
    attributes.count = count > 0 ? count : 0;
    attributes.names = nullptr;
    attributes.values = nullptr;
    if (count > 0) {
        attributes.names = new char*[count]();
        attributes.values = new char*[count]();
    }
}

void VelloraUtil::AllocateScanAttributes(long count, ScanAttributes** attributes) {
    *attributes = new ScanAttributes();
    AllocateScanAttributes(count, **attributes);
}

void VelloraUtil::FreeScanAttributes(ScanAttributes& attributes) {
    for (long i = 0; i < attributes.count; ++i) {
        if (attributes.names) {
            FreeMemory(attributes.names[i]);
        }
        if (attributes.values) {
            FreeMemory(attributes.values[i]);
        }
    }
    delete[] attributes.names;
    delete[] attributes.values;
    attributes.names = nullptr;
    attributes.values = nullptr;
    attributes.count = 0;
}

void VelloraUtil::FreeScanAttributes(ScanAttributes** attributes, bool freeRecord) {
    if (!attributes || !*attributes) {
        return;
    }
    FreeScanAttributes(**attributes);
    if (freeRecord) {
        delete *attributes;
        *attributes = nullptr;
    }
}

VelloraScanAlert* VelloraUtil::CopyVelloraScanAlert(const VelloraScanAlert& alert) {
    VelloraScanAlert* copy = new VelloraScanAlert(alert);
    copy->text = nullptr;
    if (alert.text) {
        // The SDK's text need not end in a terminator: copy exactly its length.
        const std::size_t length = alert.length > 0 ? static_cast<std::size_t>(alert.length) : 0;
        copy->text = AllocateMemory(length + 1);
        std::memcpy(copy->text, alert.text, length);
        copy->text[length] = '\0';
        copy->length = static_cast<int>(length);
    }
    return copy;
}

VelloraScanAlert* VelloraUtil::CopyVelloraScanAlert(const VelloraScanAlert* alert) {
    return alert ? CopyVelloraScanAlert(*alert) : nullptr;
}

void VelloraUtil::FreeVelloraScanAlert(VelloraScanAlert** alert) {
    if (!alert || !*alert) {
        return;
    }
    FreeMemory((*alert)->text);
    delete *alert;
    *alert = nullptr;
}

VelloraUtil::VEQVelloraScanEventEx* VelloraUtil::MakeVEQVelloraScanEventEx(
    const VelloraScanEventEx* event) {
    if (!event) {
        return nullptr;
    }
    VEQVelloraScanEventEx* copy = new VEQVelloraScanEventEx();
    copy->type = event->type;
    copy->jobId = event->jobId;
    copy->server = event->server;
    copy->attributes = nullptr;
    if (event->attributes && duplicateVelloraAttributes(&copy->attributes, event->attributes) != 0) {
        copy->attributes = nullptr;
    }
    return copy;
}

void VelloraUtil::DeleteVEQVelloraScanEventEx(VEQVelloraScanEventEx* copy) {
    if (!copy) {
        return;
    }
    if (copy->attributes) {
        freeVelloraAttributes(copy->attributes);
    }
    delete copy;
}
