#pragma once
#include <QObject>

// Optional post-processing of an item's external coefficient. The hook stays
// available to owners; the program itself defines no transformation.
class TBaseTransformation : public QObject {
  Q_OBJECT
public:
  explicit TBaseTransformation(QObject *owner = nullptr);

  // Stored with the component; data items do not consult it.
  bool Enabled() const { return m_enabled; }
  void SetEnabled(bool value) { m_enabled = value; }

  // 0 means success and result holds the transformed value.
  virtual int Transform(double value, double &result) = 0;

private:
  bool m_enabled = true;
};
