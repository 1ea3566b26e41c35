#include "dataitems/TBaseTransformation.h"

TBaseTransformation::TBaseTransformation(QObject *owner) : QObject(owner) {}
