Korvadimensio 3D 3.3.0 LangPack
[ver CZ]
Èeština – jazykovı balíèek Korvadimensio 3D
Naèíst souøadnice
*.txt
Mapa souøadnic
Naèíst mìøení
Mapa mìøení
- Nastavení -
- Vıpoèet -
+ Protokol +
+ Vıpoèty +
Jsou potøeba alespoò dva body.
Poèet naètenıch bodù: 
Není naèten dostatek bodù.
Upozornìní – nìkterá mìøení byla vyøazena!
Poèet naètenıch mìøení: 
Mìøení bez souøadnic byla vyøazena
Vıpoèet zahájen.
Pøíliš málo souøadnic nebo mìøení.
Vıpoèet selhal.
Vıpoèet dokonèen.
Ètení souboru: 
Všechny body musí bıt prostorové (3D). 
Naèíst *.txt
Souøadnice
Uloit jako
Uloit
Èíslo bodu
Vıška
Smazat bod
Pøidat bod
Vše
Pøekreslit
Sí musí mít alespoò dva body.
Uloit souøadnice jako
-> smìr
-> zen.
-> úhly
-> hd
-> vd
-> sd
->3D pol.
Smazat mìøení
Seøadit
Mìøení
Pøidávání mìøení
Pøidat mìøení
Druh mìøení
Stanovisko
Cíl
Pøesnost
Vloit mìøení
Chyba
Protokol
Vısledky a vıpoèty
Vzdálenost
Od
Do
Vypoèítat
Vzdálenost
Smìr. odchylka
Uloit tabulku
Uloit kovar. matici
šikmá
vodorovná
svislá
Zmìna pøesnosti mìøení
Zmìnit
Pouít
Vybrané mìøení
Všechna mìøení stejného druhu
Všechny body jako urèované
Všechny body jako pevné
Hromadnì zmìnit
Vlastnosti
Zmìnit pøesnost jednoho mìøení
Zmìnit pøesnost všech mìøení stejného druhu
Prùvodce pøesností
Pouít pro všechny
Chybnì zadaná hodnota: 
Automaticky ukládat pøi zavøení okna
Barvy a písmo map
Barva pevného bodu
Barva urèovaného bodu
Barva mìøení
Barva znaèky
Barva pozadí
Vybrat písmo
Vıchozí nastavení
Vliv centrace a vıšky cíle (Sc/Svp)
Bez vlivu centrace a urèení vıšky cíle
Stabilizace/signalizace je provedena pro kadé mìøení/osnovu
OK
Storno
Vlastnosti bodu
Èíslo bodu
È.b.
Souøadnice
Smìrodatné odchylky
Chybnì zadaná hodnota!
Druh
Pøesnost totální stanice
Smìr
Zenitovı úhel
Šikmá délka
Vodorovná délka
Poèet opakování
Prùmìrná délka
Vısledná pøesnost
Pouít na
jednotlivì
Pøesnost nivelaèního pøístroje
Smìrodatná odchylka nivelace na 1 km
Koeficient délky nivelaèního poøadu
Pøevıšení
Stabilizace/signalizace je provedena pro celou sí
Gyroskopickı smìr
Gyroskopickı smìr 1x/
Pouít
Pøenos polohy/provaování
Pøesnost pøenosu polohy/provaování
Pøenos polohy/provaování není ve svislici!
