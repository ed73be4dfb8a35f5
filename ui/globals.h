#pragma once
// The objects that live for the whole run and that every window reaches:
// the windows themselves, the one network container and the engine output
// reader of the latest "+Calculations+". main.cpp creates the windows in a
// fixed order (CreateAllForms); the main window creates the container.
class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;
class TTPointProp;
class TForm8;
class TForm9;
class TFPrecGuide;
class TContainer;
class TXMLReader;

extern TForm1 *Form1;
extern TForm2 *Form2;
extern TForm3 *Form3;
extern TForm4 *Form4;
extern TForm5 *Form5;
extern TForm6 *Form6;
extern TForm7 *Form7;
extern TTPointProp *TPointProp;
extern TForm8 *Form8;
extern TForm9 *Form9;
extern TFPrecGuide *FPrecGuide;

// The network; created by Form1's FormCreate, freed by its FormDestroy.
extern TContainer *Container;
// The engine output reader of the latest "+Calculations+" (null before).
extern TXMLReader *XMLReader;

// Creates every window in start-up order (Form1 first) and stores them in the
// globals above. DestroyAllForms frees them in reverse order.
void CreateAllForms();
void DestroyAllForms();

// Puts the active language's texts on every window that exists.
void ApplyTextsToAllForms();
