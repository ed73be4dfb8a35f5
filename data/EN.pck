Korvadimensio 3D 3.3.0 LangPack
[ver EN]
Built-in English texts
Load coords
*.txt
Coordinates plan
Load measurements
Measurement plan
- Settings -
- Evaluation -
+ Protocol +
+Calculations+
At least two points are needed.
Number of loaded points: 
Not enough points loaded.
Warning - some measurement were thrown away!
Loaded measurements:
Measurements without coordinates thrown away
Evaluation started.
Too few coordinates or measurements.
Evaluation fails.
Evaluation acomplished.
Reading file: 
All point have to be 3d. 
Load *.txt
Coordinates
Save as
Save
Point number
Height
Delete point
Add point
All
Redraw
Two points are minimum.
Save coordinates as
-> dir.
-> zen.
-> angles
-> hd
-> vd
-> sd
->3d pol.
Delete meas.
Sort
Measurements
Add measurements
Add measurement
Measurement type
Station
Target
Precision
Insert measurement
Error
Protocol
Results and calculations
Distance
From
To
Calculate
Distance
Std. dev.
Save table
Save covar. matrix
slope
horizontal
vertical
Change precision of the measurements
Change
Apply
Selected measurement
All of the same type
All points adjusted
All points fixed
Change all
Properties
Change precision of one measurement
Change precision of all of the same type
Precision guide
Apply to all
Incorrect input: 
Automatic save when exiting form
Colors and font for plans
Color of the fixed point
Color of the adjusted point
Color of the measurements
Color of the mark point
Color of the background
Choose font
Default settings
Properties of the Sc/Svp precision
Without influence of the Sc/Svp
Influence of the Sc/Svp is calculated
OK
Cancel
Point properties
Point number
P.No.
Coordinates
Standard deviations
Wrong input!
Type
Total station precision
Direction
Zenith angle
Slope dist.
Horizontal dist.
Number of repetition
Average dist.
Resulting precision
Apply on
one by one
Levelling instrument precision
Standard deviation of 1km levelling
Levelling route length coefficient
Vertical dist.
Influence of the Sc/Svp is calculated for whole net
Gyrodirection
Gyrodirection 1x/
Apply
Position transmition/plumbing
Precision of position transmition/plumbing
Position transmition/plumbing is beyond vertical!
