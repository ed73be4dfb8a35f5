// The windows of the program and the objects that live for the whole run.
#include "core/container.h"
#include "engine/xmlreader.h"
#include "settings/inifile.h"
#include "settings/langpack.h"
#include "ui/form1.h"
#include "ui/form2.h"
#include "ui/form3.h"
#include "ui/form4.h"
#include "ui/form5.h"
#include "ui/form6.h"
#include "ui/form7.h"
#include "ui/form8.h"
#include "ui/form9.h"
#include "ui/globals.h"
#include "ui/pointprop.h"
#include "ui/precguide.h"
#include "ui/startup.h"
#include "ui/uitext.h"

TForm1 *Form1 = nullptr;
TForm2 *Form2 = nullptr;
TForm3 *Form3 = nullptr;
TForm4 *Form4 = nullptr;
TForm5 *Form5 = nullptr;
TForm6 *Form6 = nullptr;
TForm7 *Form7 = nullptr;
TTPointProp *TPointProp = nullptr;
TForm8 *Form8 = nullptr;
TForm9 *Form9 = nullptr;
TFPrecGuide *FPrecGuide = nullptr;
TContainer *Container = nullptr;
TXMLReader *XMLReader = nullptr;

void CreateAllForms() {
  Form1 = new TForm1();
  Form2 = new TForm2();
  Form3 = new TForm3();
  Form4 = new TForm4();
  Form5 = new TForm5();
  Form6 = new TForm6();
  Form7 = new TForm7();
  TPointProp = new TTPointProp();
  Form8 = new TForm8();
  Form9 = new TForm9();
  FPrecGuide = new TFPrecGuide();
}

void DestroyAllForms() {
  delete FPrecGuide;
  FPrecGuide = nullptr;
  delete Form9;
  Form9 = nullptr;
  delete Form8;
  Form8 = nullptr;
  delete TPointProp;
  TPointProp = nullptr;
  delete Form7;
  Form7 = nullptr;
  delete Form6;
  Form6 = nullptr;
  delete Form5;
  Form5 = nullptr;
  delete Form4;
  Form4 = nullptr;
  delete Form3;
  Form3 = nullptr;
  delete Form2;
  Form2 = nullptr;
  // The main window last: its FormDestroy frees the container, which the
  // other windows may still refer to while they close.
  delete Form1;
  Form1 = nullptr;
}

void ApplyTextsToAllForms() {
  if (Form1) Form1->ApplyTexts();
  if (Form2) Form2->ApplyTexts();
  if (Form3) Form3->ApplyTexts();
  if (Form4) Form4->ApplyTexts();
  if (Form5) Form5->ApplyTexts();
  if (Form6) Form6->ApplyTexts();
  if (Form7) Form7->ApplyTexts();
  if (TPointProp) TPointProp->ApplyTexts();
  if (Form8) Form8->ApplyTexts();
  if (Form9) Form9->ApplyTexts();
  if (FPrecGuide) FPrecGuide->ApplyTexts();
}

void StartUp() {
  CreateAllForms();
  // The language object starts with the built-in English texts; the pack
  // named in the settings replaces them when it is sound.
  Lang().LoadBuiltIn();
  LoadStartupPack(Lang(), S(ProgramFolder()), LangPackFile);
  ApplyTextsToAllForms();
  Form9->FillLanguageList();
}
